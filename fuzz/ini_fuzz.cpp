// The INI reader on arbitrary documents: reads never fail, and a key written is read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "inifile.h"
#include "textfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  lirra::IniFile ini(QStringLiteral("/nonexistent/fuzz.ini"), lirra::SplitLines(lirra::DecodeText(bytes)));
  (void)ini.readInteger(QStringLiteral("main"), QStringLiteral("pos_w"), 270);
  (void)ini.readBool(QStringLiteral("main"), QStringLiteral("random"), false);
  (void)ini.readString(QStringLiteral("AVS"), QStringLiteral("cfg_fs_w"), {});
  ini.writeString(QStringLiteral("main"), QStringLiteral("fuzz_key"), QStringLiteral("value"));
  if (ini.readString(QStringLiteral("main"), QStringLiteral("fuzz_key"), {}) != QStringLiteral("value"))
    std::abort();
  ini.writeInteger(QStringLiteral("fuzz section"), QStringLiteral("n"), -42);
  if (ini.readInteger(QStringLiteral("FUZZ SECTION"), QStringLiteral("N"), 0) != -42) std::abort();
  return 0;
}
