// An INI file with the rules of the Windows private-profile functions that the player's
// settings rely on:
//  - section and key names match case-insensitively; the first matching section and the
//    first matching key in it win;
//  - names and values are trimmed; a value wrapped in matching quotes loses the quotes;
//  - a missing file (or a missing key) reads as the caller's default;
//  - a write changes only the line of its key (or adds one line, or one section), every
//    other line, section and comment stays exactly as it was;
//  - truth values are written "1"/"0" and read as "any non-zero number is true";
//    integers are decimal; a value that is not a number reads as the default.
// Changes are kept in memory until save(), which replaces the file atomically.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace lirra {

class IniFile {
 public:
  // Reads `path` when it exists; a missing or unreadable file is an empty document.
  explicit IniFile(QString path);
  // A document of the given lines that saves to `path` (nothing is read).
  IniFile(QString path, QStringList lines);

  const QString& path() const { return path_; }
  bool existed() const { return existed_; }

  std::optional<QString> value(const QString& section, const QString& key) const;
  QString readString(const QString& section, const QString& key, const QString& def) const;
  int readInteger(const QString& section, const QString& key, int def) const;
  bool readBool(const QString& section, const QString& key, bool def) const;

  void writeString(const QString& section, const QString& key, const QString& value);
  void writeInteger(const QString& section, const QString& key, int value);
  void writeBool(const QString& section, const QString& key, bool value);

  bool modified() const { return modified_; }
  // Writes the document to `path` (UTF-8, CR LF, atomically). Returns false with `error`
  // filled when the file could not be written; the old file is then untouched.
  bool save(QString* error = nullptr);

  // Parses a decimal integer the way the settings reader does: optional sign and
  // surrounding blanks; anything else is not a number.
  static std::optional<int> parseInteger(const QString& text);

 private:
  struct Section {
    qsizetype header = -1;    // line index of "[name]"
    qsizetype lastEntry = -1;  // line index of the last key line, or the header
  };
  std::optional<Section> findSection(const QString& section) const;
  qsizetype findKey(const Section& s, const QString& key, qsizetype end) const;
  qsizetype sectionEnd(const Section& s) const;

  QString path_;
  QStringList lines_;
  bool existed_ = false;
  bool modified_ = false;
};

}  // namespace lirra
