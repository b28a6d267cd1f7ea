# cmake --install: the app folder under <prefix>/lib/lirra/, a launcher in bin/, and the
# desktop entry, icons and AppStream metadata under share/. The installed app folder is
# left without write permission: the player then keeps settings, lists and lyrics in the
# user's XDG folders, for root too (user_folders.h).
set(_app "lib/lirra")
set(_root "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}")

# An earlier installation's folder becomes writable again for the copy.
install(CODE "
  if(EXISTS \"${_root}/${_app}\")
    file(CHMOD \"${_root}/${_app}\" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()")
# The program and what it ships; never what a run of the build wrote into its folder.
install(DIRECTORY "${LIRRA_APP_DIR}/" DESTINATION "${_app}" USE_SOURCE_PERMISSIONS
  PATTERN "*.m3u" EXCLUDE
  PATTERN "lirra.ini" EXCLUDE
  PATTERN "lirra.dat" EXCLUDE
  PATTERN "vis_avs.dat" EXCLUDE
  REGEX "/Plugins/Lyrics/[^/]+$" EXCLUDE)
install(FILES "${LIRRA_APP_DIR}/Demo.m3u" DESTINATION "${_app}")
install(CODE "
  file(MAKE_DIRECTORY \"${_root}/bin\")
  file(CREATE_LINK \"../${_app}/lirra\" \"${_root}/bin/lirra\" SYMBOLIC)")
install(FILES "${CMAKE_SOURCE_DIR}/assets/lirra.desktop" DESTINATION share/applications)
install(FILES "${CMAKE_SOURCE_DIR}/assets/org.lirra.Lirra.metainfo.xml" DESTINATION share/metainfo)
install(DIRECTORY "${LIRRA_ICON_DIR}/" DESTINATION share/icons)
install(CODE "
  file(CHMOD \"${_root}/${_app}\" DIRECTORY_PERMISSIONS OWNER_READ OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)")
