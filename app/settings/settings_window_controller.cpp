#include "app/settings/settings_window_controller.hpp"

#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/settings/appearance_settings_controller.hpp"
#include "app/settings/editing_settings_controller.hpp"
#include "app/settings/files_settings_controller.hpp"
#include "app/settings/general_settings_controller.hpp"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora {
namespace {

struct TabLook {
    const char* key;       // the label's catalog key
    const char* icon;      // the desktop theme's icon
    QStyle::StandardPixmap fallback;
};

constexpr TabLook kTabs[] = {
    {"settings.tab.general", "preferences-system", QStyle::SP_ComputerIcon},
    {"settings.tab.appearance", "preferences-desktop-theme", QStyle::SP_DesktopIcon},
    {"settings.tab.editing", "accessories-text-editor", QStyle::SP_FileIcon},
    {"settings.tab.files", "folder", QStyle::SP_DirIcon},
};

} // namespace

SettingsWindowController::SettingsWindowController(LibraryStore& store, Dialogs& dialogs,
                                                   LibraryHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("settings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    m_tabs = new QTabWidget(this);
    m_tabs->setDocumentMode(true);
    m_tabs->setUsesScrollButtons(false);
    layout->addWidget(m_tabs);

    m_general = new GeneralSettingsController;
    m_appearance = new AppearanceSettingsController;
    m_editing = new EditingSettingsController;
    m_files = new FilesSettingsController(store, dialogs, host);
    const QList<QWidget*> panes{m_general, m_appearance, m_editing, m_files};
    for (qsizetype i = 0; i < panes.size(); ++i) {
        const TabLook& look = kTabs[i];
        m_tabKeys.append(QString::fromLatin1(look.key));
        const QIcon icon = QIcon::fromTheme(QString::fromLatin1(look.icon),
                                            style()->standardIcon(look.fallback));
        m_tabs->addTab(panes.at(i), icon, mnemonicSafe(localized(m_tabKeys.last())));
    }

    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
    connect(&Notifications::shared(), &Notifications::languageChanged, this,
            &SettingsWindowController::relocalize);
    relocalize();
    resize(minimumSizeHint().expandedTo(QSize(560, 440)));
}

void SettingsWindowController::relocalize() {
    setWindowTitle(localized(QStringLiteral("settings.title")));
    for (int i = 0; i < m_tabKeys.size(); ++i) {
        m_tabs->setTabText(i, mnemonicSafe(localized(m_tabKeys.at(i))));
    }
    for (SettingsPaneController* pane :
         std::initializer_list<SettingsPaneController*>{m_general, m_appearance, m_editing,
                                                        m_files}) {
        pane->relocalize();
        if (pane->isVisible()) {
            pane->refresh();
        }
    }
}

void SettingsWindowController::present() {
    if (!isVisible()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
        show();
        // The keyboard starts at the tabs: arrows choose a pane, Tab walks its controls.
        m_tabs->tabBar()->setFocus(Qt::ActiveWindowFocusReason);
    }
    raise();
    activateWindow();
}

void SettingsWindowController::present(Pane pane) {
    m_tabs->setCurrentIndex(static_cast<int>(pane));
    present();
}

SettingsWindowController::Pane SettingsWindowController::pane() const {
    return static_cast<Pane>(m_tabs->currentIndex());
}

} // namespace velmora
