#include "app/platform/spell_service.hpp"

#include "app/platform/app_language.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/data_folder.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "core/spelling/spell_checker.hpp"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThreadPool>

#include <algorithm>

namespace velmora {

SpellService& SpellService::shared() {
    static SpellService* service = new SpellService; // lives as long as the process
    return *service;
}

SpellService::SpellService() : m_folders(defaultFolders()), m_personal(personalWordsPath()) {
    connect(&Notifications::shared(), &Notifications::languageChanged, this, [this] {
        if (m_started) {
            choose();
        }
    });
}

QStringList SpellService::defaultFolders() {
    QStringList folders =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("hunspell"),
                                  QStandardPaths::LocateDirectory);
    const QString system = QStringLiteral("/usr/share/hunspell");
    if (!folders.contains(system)) {
        folders.append(system);
    }
    return folders;
}

QString SpellService::personalWordsPath() {
    return QDir(DataFolder::location()).filePath(QStringLiteral("personal-words.txt"));
}

std::vector<std::string> SpellService::installed(const QStringList& folders) {
    std::vector<std::string> names;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& aff : dir.entryList({QStringLiteral("*.aff")}, QDir::Files)) {
            const QString name = QFileInfo(aff).completeBaseName();
            if (dir.exists(name + QStringLiteral(".dic"))) {
                names.push_back(name.toStdString());
            }
        }
    }
    return names;
}

void SpellService::setFolders(const QStringList& folders) {
    m_folders = folders;
    if (m_started) {
        choose();
    }
}

std::shared_ptr<SpellChecker> SpellService::checker() {
    start();
    return m_checker;
}

DictionaryChoice SpellService::choice() {
    start();
    return m_choice;
}

void SpellService::start() {
    if (m_started) {
        return;
    }
    m_started = true;
    (void)m_personal.load();
    choose();
}

void SpellService::choose() {
    std::vector<std::string> system;
    for (const QString& code : AppLanguages::systemLanguages()) {
        system.push_back(code.toStdString());
    }
    const DictionaryChoice next = DictionaryChoices::choose(currentLanguageCode().toStdString(),
                                                            system, installed(m_folders));
    QString base;
    for (const QString& folder : m_folders) {
        const QString candidate = QDir(folder).filePath(QString::fromStdString(next.name));
        if (!next.name.empty() && QFileInfo::exists(candidate + QStringLiteral(".aff"))) {
            base = candidate;
            break;
        }
    }
    if (base == m_base) {
        // The same files, loaded or loading: only the reason may differ.
        if (next != m_choice) {
            m_choice = next;
            emit changed();
        }
        return;
    }
    const bool hadChecker = m_checker != nullptr;
    m_choice = next;
    m_base = base;
    m_checker.reset();
    const int generation = ++m_generation;
    // The very first choice is made while a field asks for the checker: nothing to take back.
    if (hadChecker) {
        emit changed();
    }
    if (base.isEmpty()) {
        return;
    }
    // Opening a large dictionary takes a good part of a second: never on the event loop.
    QThreadPool::globalInstance()->start([generation, path = base.toStdString()] {
        auto opened = SpellChecker::open(path);
        std::shared_ptr<SpellChecker> checker = opened.ok() ? opened.value() : nullptr;
        if (!opened.ok()) {
            qCCritical(documentLog).noquote()
                << QStringLiteral("spelling dictionary not opened: ") +
                       QString::fromStdString(opened.error().path);
        }
        QMetaObject::invokeMethod(
            &SpellService::shared(),
            [generation, checker] { SpellService::shared().loaded(generation, checker); },
            Qt::QueuedConnection);
    });
}

void SpellService::loaded(int generation, std::shared_ptr<SpellChecker> checker) {
    if (generation != m_generation || !checker) {
        return;
    }
    for (const std::string& word : m_personal.words()) {
        checker->addWord(word);
    }
    for (const std::string& word : m_ignored) {
        checker->ignore(word);
    }
    m_checker = std::move(checker);
    emit changed();
}

void SpellService::addToDictionary(const QString& word) {
    start();
    const std::string text = word.toStdString();
    (void)m_personal.add(text);
    if (m_checker) {
        m_checker->addWord(text);
    }
    emit changed();
}

void SpellService::ignore(const QString& word) {
    start();
    const std::string text = word.toStdString();
    if (std::find(m_ignored.begin(), m_ignored.end(), text) == m_ignored.end()) {
        m_ignored.push_back(text);
    }
    if (m_checker) {
        m_checker->ignore(text);
    }
    emit changed();
}

QString SpellService::settingsNote() {
    return noteFor(choice());
}

QString SpellService::noteFor(const DictionaryChoice& choice) {
    switch (choice.source) {
    case DictionaryChoice::Source::interfaceLanguage:
        return {};
    case DictionaryChoice::Source::systemLanguage:
        return localized(std::string_view("settings.spelling.systemLanguage"));
    case DictionaryChoice::Source::english:
        return localized(std::string_view("settings.spelling.english"));
    case DictionaryChoice::Source::none:
        break;
    }
    return localized(std::string_view("settings.spelling.none"));
}

} // namespace velmora
