#include "app/platform/personal_word_list.hpp"

#include "app/platform/app_log.hpp"
#include "core/spelling/personal_words.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace velmora {

PersonalWordList::PersonalWordList(QString path) : m_path(std::move(path)) {}

bool PersonalWordList::load() {
    m_words.clear();
    m_writable = true;
    QFile file(m_path);
    if (!file.exists()) {
        return true;
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(PersonalWords::kLargestList)) {
        m_writable = false;
        qCCritical(documentLog) << "the personal word list is not readable; it is left as it is";
        return false;
    }
    const QByteArray bytes = file.readAll();
    const auto words = PersonalWords::parse(std::string_view(bytes.constData(), bytes.size()));
    if (!words.ok()) {
        m_writable = false;
        qCCritical(documentLog).noquote()
            << QStringLiteral("the personal word list is refused at line %1; it is left as it is")
                   .arg(words.error().line);
        return false;
    }
    m_words = words.value();
    return true;
}

bool PersonalWordList::add(const std::string& word) {
    if (std::find(m_words.begin(), m_words.end(), word) != m_words.end()) {
        return true;
    }
    m_words.insert(std::upper_bound(m_words.begin(), m_words.end(), word), word);
    if (!PersonalWords::isStorable(word) || !write()) {
        qCCritical(documentLog) << "the personal word list was not saved; the word is kept until "
                                   "Ostrevo quits";
        return false;
    }
    return true;
}

bool PersonalWordList::write() const {
    if (!m_writable) {
        return false;
    }
    QDir().mkpath(QFileInfo(m_path).path());
    QSaveFile output(m_path);
    if (!output.open(QIODevice::WriteOnly)) {
        return false;
    }
    const std::string text = PersonalWords::serialize(m_words);
    output.write(text.data(), qint64(text.size()));
    return output.commit();
}

} // namespace velmora
