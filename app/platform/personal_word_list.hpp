#pragma once

#include <QString>

#include <string>
#include <vector>

namespace velmora {

// The user's own words for spell checking, kept in a file of one word a line (written whole
// and atomically). A file that cannot be read or is no word list is never overwritten: words
// added then last until the application quits.
class PersonalWordList {
public:
    explicit PersonalWordList(QString path);

    // Reads the file; a missing file is an empty list. False when the file was refused.
    bool load();
    // Adds the word and writes the file; false when the word was only kept in memory.
    bool add(const std::string& word);

    [[nodiscard]] const std::vector<std::string>& words() const { return m_words; }
    [[nodiscard]] bool isWritable() const { return m_writable; }
    [[nodiscard]] const QString& path() const { return m_path; }

private:
    bool write() const;

    QString m_path;
    std::vector<std::string> m_words;
    bool m_writable = true;
};

} // namespace velmora
