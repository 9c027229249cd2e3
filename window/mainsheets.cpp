#include "window/mainsheets.h"

#include "base/appinfo.h"
#include "model/capabilities.h"
#include "model/dataserver.h"
#include "pages/gui/aboutpage.h"
#include "pages/gui/connectionpage.h"
#include "pages/gui/devtext.h"
#include "pages/gui/infopage.h"
#include "pages/gui/logpage.h"
#include "pages/gui/settingspage.h"
#include "shell/pageset.h"
#include "window/busyloop.h"
#include "window/hwtypedlg.h"
#include "window/sidepanel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>
#include <cstring>

namespace {
constexpr const char* kConnectionCaption = "Связь";
constexpr int kImeiChars = 39;
constexpr int kBannerChars = 19;
constexpr int kBannerItems[CSidePanel::kBannerRows] = {DI_HW_VERSION, DI_FW_VERSION, DI_BOOT_VERSION,
                                                       DI_PLATFORM_VERSION, DI_FW_DATE};

// A text item of the model; the buffer starts filled with fill, which shows
// when the item cannot be read.
QString ItemText(CDataServer& data, int item, int maxChars, char fill) {
    char buffer[64];
    const std::size_t size = CDataServer::ItemSize(item);
    if (size == 0 || size > sizeof buffer)
        return {};
    std::memset(buffer, fill, size);
    data.Get(item, buffer, size);
    return FromDeviceText(buffer, size, maxChars);
}

bool SameTitleState(const ShellFlags& a, const ShellFlags& b) {
    return a.deviceDataLoaded == b.deviceDataLoaded && a.fileDataShown == b.fileDataShown &&
           a.connected == b.connected && a.fileOpen == b.fileOpen && a.connectedType == b.connectedType &&
           a.filePath == b.filePath;
}
}  // namespace

CMainSheets::CMainSheets(CDataServer& model, QWidget* parent) : QWidget(parent), m_data(model) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    m_busy = new CBusyRunner(this);
    m_tabs = new QTabWidget(this);
    m_panel = new CSidePanel(this);
    m_strip = new CStatusStrip(this);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 0, 0);
    outer->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->addWidget(m_tabs, 1);
    row->addWidget(m_panel);
    outer->addLayout(row, 1);
    outer->addWidget(m_strip);

    m_aboutPage = new CAboutPage(this);
    AddPage(m_aboutPage, "О Программе");

    setWindowTitle(QStringLiteral(" ") + QString::fromUtf8(AppInfo::kName));
    ConnectPanel();
    connect(m_tabs, &QTabWidget::currentChanged, this, &CMainSheets::OnTabChanged);
    UpdateControls();
    UpdateImeiLabel();
    UpdateBanner();
}

CMainSheets::~CMainSheets() = default;

void CMainSheets::InstallPages(IPageHost& host, CPageSet& pageSet) {
    m_pageSet = &pageSet;
    m_infoPage = new CInfoPage(m_data, host, this);
    auto* settingsPage = new CSettingsPage(m_data, host, this);
    m_settingsPage = settingsPage;
    m_logPage = new CLogPage(m_data, host, this);
    for (QWidget* page :
         {static_cast<QWidget*>(m_infoPage), static_cast<QWidget*>(m_settingsPage), static_cast<QWidget*>(m_logPage)})
        page->hide();
    auto* connectionPage = new CConnectionPage(m_data, host, this);
    m_connectionPage = connectionPage;
    connectionPage->hide();
    pageSet.Add(settingsPage);
    pageSet.Add(connectionPage);
}

void CMainSheets::ReleasePages() {
    m_pageSet = nullptr;
    m_activePage = nullptr;
    RemovePage(m_mainPage);
    m_mainPage = nullptr;
}

void CMainSheets::SetMainPage(CShellPage* page) {
    m_mainPage = page;
    m_tabs->insertTab(0, page, QString::fromUtf8("Главная"));
    m_tabs->setCurrentIndex(0);
}

void CMainSheets::SetActions(ShellActions actions) {
    m_actions = std::move(actions);
    m_panel->PortList()->SetScanner(m_actions.scanPorts);
}

void CMainSheets::SetDemoPort(const std::string& path) { m_panel->PortList()->SetDemoPort(path); }

void CMainSheets::ConnectPanel() {
    connect(m_panel->ConnectButton(), &QPushButton::clicked, this,
            [this] { RunCommand(m_actions.connectOrDisconnect); });
    connect(m_panel->WriteButton(), &QPushButton::clicked, this, [this] { RunCommand(m_actions.write); });
    connect(m_panel->ReadButton(), &QPushButton::clicked, this, [this] { RunCommand(m_actions.read); });
    connect(m_panel->OpenButton(), &QPushButton::clicked, this, [this] { RunCommand(m_actions.openOrClose); });
    connect(m_panel->SaveButton(), &QPushButton::clicked, this, [this] { RunCommand(m_actions.save); });
    connect(m_panel->CreateButton(), &QPushButton::clicked, this, &CMainSheets::OnCreate);
    connect(m_panel->RebootButton(), &QPushButton::clicked, this, [this] { RunCommand(m_actions.reboot); });
    connect(m_panel->DefaultsButton(), &QPushButton::clicked, this, [this] { RunCommand(m_actions.defaults); });

    CPortComboBox* ports = m_panel->PortList();
    connect(ports, &CPortComboBox::PortChosenChanged, this, [this](const QString& path) {
        if (m_actions.choosePort)
            m_actions.choosePort(path.toStdString());
        UpdateControls();
    });
    connect(ports, &CPortComboBox::ListRescanned, this, &CMainSheets::UpdateControls);
    connect(ports, &CPortComboBox::ScanHint, m_strip, &CStatusStrip::SetHint);
}

void CMainSheets::RunCommand(const std::function<void()>& action) {
    if (action)
        RunBusy(action);
    Refresh();
    RunDeferredConnects();
}

void CMainSheets::OnCreate() {
    CHWTypeDlg dialog(m_newFileType, this);
    const bool ok = dialog.exec() == QDialog::Accepted;
    // Choosing an entry sets the type even when the dialog is then cancelled.
    m_newFileType = dialog.NewFileType();
    if (!ok || !m_actions.create) {
        Refresh();
        return;
    }
    const int type = m_newFileType;
    RunCommand([this, type] { m_actions.create(type); });
}

void CMainSheets::OnConnectCommand() {
    if (Busy() && m_dialogDepth == 0) {
        ++m_deferredConnects;
        return;
    }
    RunCommand(m_actions.connectOrDisconnect);
}

void CMainSheets::RunDeferredConnects() {
    while (m_deferredConnects > 0 && !Busy()) {
        --m_deferredConnects;
        RunCommand(m_actions.connectOrDisconnect);
    }
}

void CMainSheets::SetConnectionDialogOpen(bool open) { m_dialogDepth += open ? 1 : -1; }

// A connect command posted while the work ran (a failed exchange's
// disconnect) is carried out as soon as the work has ended.
void CMainSheets::RunBusy(const std::function<void()>& work) {
    m_busy->Run(work);
    RunDeferredConnects();
}

bool CMainSheets::Busy() const { return m_busy->Busy(); }

void CMainSheets::Refresh() {
    if (m_actions.flags)
        m_flags = m_actions.flags();
    ApplyState();
}

void CMainSheets::SetFlags(const ShellFlags& flags) {
    m_flags = flags;
    ApplyState();
}

void CMainSheets::ApplyState() {
    UpdateControls();
    UpdatePageSet();
    UpdateConnectionTab();
    // The start-up title (with its leading blank) stays until the state it shows changes.
    if (!SameTitleState(m_flags, m_titleFlags))
        UpdateTitle();
    UpdateBanner();
    UpdateImeiLabel();
}

void CMainSheets::UpdateControls() {
    const bool rebootEnabled = m_panel->RebootButton()->isEnabled();
    m_panel->Apply(ComputeControls(m_flags, m_panel->PortList()->PortChosen(), rebootEnabled));
}

void CMainSheets::UpdatePageSet() {
    const bool show = m_flags.connected || m_flags.fileOpen;
    if (show == m_pagesShown)
        return;
    m_pagesShown = show;
    if (show) {
        RemovePage(m_aboutPage);
        AddPage(m_infoPage, "Информация");
        AddPage(m_settingsPage, "Настройки");
        AddPage(m_logPage, "Журнал");
        SetLogAttached(true);
        AddPage(m_aboutPage, "О Программе");
    } else {
        RemovePage(m_infoPage);
        RemovePage(m_settingsPage);
        SetLogAttached(false);
        RemovePage(m_logPage);
    }
    if (m_actions.pageSetChanged)
        m_actions.pageSetChanged(show);
}

// "Связь" stands after "Главная" while the pages are shown and the record's
// device type has GSM or WiFi; opening a file or connecting may change the type.
void CMainSheets::UpdateConnectionTab() {
    if (!m_connectionPage)
        return;
    DeviceTypeRecord type;
    const bool typed =
        m_data.Get(DI_DEV_TYPE, type) == 1 && (Has(type, Capability::Gsm) || Has(type, Capability::Wifi));
    const bool wanted = m_pagesShown && typed;
    const bool shown = m_tabs->indexOf(m_connectionPage) >= 0;
    if (wanted == shown)
        return;
    if (wanted)
        m_tabs->insertTab(m_tabs->indexOf(m_mainPage) + 1, m_connectionPage, QString::fromUtf8(kConnectionCaption));
    else
        RemovePage(m_connectionPage);
}

// Pages that were not created are skipped.
void CMainSheets::AddPage(CShellPage* page, const char* caption) {
    if (page)
        m_tabs->addTab(page, QString::fromUtf8(caption));
}

void CMainSheets::RemovePage(CShellPage* page) {
    if (!page)
        return;
    const int index = m_tabs->indexOf(page);
    if (index >= 0)
        m_tabs->removeTab(index);
    page->hide();
}

void CMainSheets::SetLogAttached(bool attached) {
    if (m_logPage)
        m_logPage->SetAttached(attached);
}

void CMainSheets::OnTabChanged(int index) {
    auto* page = qobject_cast<CShellPage*>(m_tabs->widget(index));
    if (m_activePage && m_activePage != page)
        m_activePage->OnKillActive();
    m_activePage = page;
    if (m_pageSet)
        m_pageSet->SetActive(dynamic_cast<ICollectingPage*>(page));
    if (page)
        page->OnSetActive();
}

void CMainSheets::UpdateTitle() {
    m_titleFlags = m_flags;
    QString title = QString::fromUtf8(AppInfo::kName);
    if (m_flags.deviceDataLoaded)
        title += QStringLiteral(" - ") + QString::fromLatin1(ModelName(m_flags.connectedType)) + QStringLiteral(" : ") +
                 ItemText(m_data, DI_IMEI, kImeiChars, 'F');
    else if (m_flags.fileDataShown)
        title += QStringLiteral(" - ") + QString::fromStdString(m_flags.filePath);
    setWindowTitle(title);
}

void CMainSheets::UpdateBanner() {
    std::array<QString, CSidePanel::kBannerRows> values;
    for (int row = 0; row < CSidePanel::kBannerRows; ++row)
        values[row] = ItemText(m_data, kBannerItems[row], kBannerChars, '\0');
    m_panel->SetBanner(values);
}

void CMainSheets::UpdateImeiLabel() {
    m_strip->SetImeiText(QStringLiteral("| IMEI: ") + ItemText(m_data, DI_IMEI, kImeiChars, '\0'));
}

void CMainSheets::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();  // neither closes the window; only its close box does
        return;
    default: QWidget::keyPressEvent(event);
    }
}

void CMainSheets::closeEvent(QCloseEvent* event) {
    if (Busy()) {
        event->ignore();
        return;
    }
    if (!m_shutDown && m_actions.shutdown) {
        m_shutDown = true;
        RunBusy(m_actions.shutdown);
    }
    event->accept();
}

void CMainSheets::FitToPages() {
    QTabBar row(m_tabs);
    for (const char* caption : {"Главная", kConnectionCaption, "Информация", "Настройки", "Журнал", "О Программе"})
        row.addTab(QString::fromUtf8(caption));
    QSize pages(row.sizeHint().width(), 0);
    for (QWidget* page :
         {static_cast<QWidget*>(m_mainPage), static_cast<QWidget*>(m_connectionPage), static_cast<QWidget*>(m_infoPage),
          static_cast<QWidget*>(m_settingsPage), static_cast<QWidget*>(m_logPage), static_cast<QWidget*>(m_aboutPage)})
        if (page)
            pages = pages.expandedTo(page->sizeHint());
    // The tab widget's frame and the tab row itself come on top of the page.
    const int frame = 2 * m_tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
    // The window opens at that size; afterwards the pages' own minimum sizes
    // hold, so a page that grows makes the window grow instead of being squeezed.
    m_tabs->setMinimumSize(pages.width() + frame, pages.height() + row.sizeHint().height() + frame);
    adjustSize();
    m_tabs->setMinimumSize(0, 0);
}
