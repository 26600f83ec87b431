#pragma once

#include "app/platform/personal_word_list.hpp"
#include "core/spelling/dictionary_choice.hpp"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

namespace velmora {

class SpellChecker;

// The application's one spell checker: the hunspell dictionary of the interface language (with
// the system language and English as fallbacks), the user's own word list and the words
// ignored for the session. The dictionary is opened on a worker thread; until it is in,
// `checker` is null and nothing is marked. Every text field with spell checking observes
// `changed` and checks again.
class SpellService : public QObject {
    Q_OBJECT
public:
    static SpellService& shared();

    // The checker, or null while the dictionary loads and when none is installed. The first
    // call starts the loading.
    [[nodiscard]] std::shared_ptr<SpellChecker> checker();
    // The dictionary in use and why it was chosen.
    [[nodiscard]] DictionaryChoice choice();
    // The note the settings show under "Check spelling while typing": empty when the interface
    // language has its own dictionary, else which dictionary stands in for it.
    [[nodiscard]] QString settingsNote();
    // The note for a choice, in the interface language.
    [[nodiscard]] static QString noteFor(const DictionaryChoice& choice);

    // Accepts the word from now on and keeps it in the user's word list.
    void addToDictionary(const QString& word);
    // Accepts the word until the application quits.
    void ignore(const QString& word);

    // The folders searched for dictionaries, first found first used: "hunspell" in the user's
    // data folder and in each of the system's data folders (/usr/share/hunspell).
    [[nodiscard]] static QStringList defaultFolders();
    // Searches these folders instead and chooses again (tests).
    void setFolders(const QStringList& folders);
    // The user's word list: "personal-words.txt" in the data folder.
    [[nodiscard]] static QString personalWordsPath();
    // The names of the dictionaries installed in the folders ("de_DE", "fr").
    [[nodiscard]] static std::vector<std::string> installed(const QStringList& folders);

signals:
    // The dictionary came in or was replaced, or a word was added or ignored.
    void changed();

private:
    SpellService();
    void start();
    void choose();
    void loaded(int generation, std::shared_ptr<SpellChecker> checker);

    QStringList m_folders;
    DictionaryChoice m_choice;
    QString m_base; // the chosen dictionary's files without ".aff" and ".dic"
    std::shared_ptr<SpellChecker> m_checker;
    // Raised by every choice; a dictionary loaded for an older one is dropped.
    int m_generation = 0;
    bool m_started = false;
    PersonalWordList m_personal;
    std::vector<std::string> m_ignored;
};

} // namespace velmora
