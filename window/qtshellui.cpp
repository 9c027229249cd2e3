#include "window/qtshellui.h"

#include "base/appinfo.h"
#include "pages/gui/logpage.h"
#include "window/connectiondlg.h"
#include "window/mainsheets.h"
#include "window/passworddlg.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QThread>

#include <future>
#include <memory>

namespace {
// A box as wide as its caption with the window's buttons beside it, so the
// program's name is never cut.
void WidenForCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// The device's messages use CR LF; a box wants plain line feeds.
QString BoxText(const std::string& text) {
    return QString::fromUtf8(text.c_str()).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
}  // namespace

CQtShellUi::CQtShellUi(CMainSheets& window, CDataServer& model) : m_window(window), m_data(model) {}

bool CQtShellUi::OnGuiThreadNow() const { return QThread::currentThread() == thread(); }

void CQtShellUi::OnGuiThread(const std::function<void()>& call) {
    if (OnGuiThreadNow())
        call();
    else
        QMetaObject::invokeMethod(this, call, Qt::BlockingQueuedConnection);
}

int CQtShellUi::ShowBox(int icon, const std::string& text, int buttons) {
    int answer = QMessageBox::NoButton;
    OnGuiThread([&] {
        QMessageBox box(static_cast<QMessageBox::Icon>(icon), QString::fromUtf8(AppInfo::kName), BoxText(text),
                        static_cast<QMessageBox::StandardButtons>(buttons), &m_window);
        WidenForCaption(box);
        // A stray Enter must not start what a question asks about.
        if (buttons & QMessageBox::No)
            box.setDefaultButton(QMessageBox::No);
        // The wait cursor of a running command is not meant for the box.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        answer = box.exec();
        QApplication::restoreOverrideCursor();
    });
    return answer;
}

void CQtShellUi::ShowError(const std::string& text) { ShowBox(QMessageBox::Critical, text, QMessageBox::Ok); }

void CQtShellUi::ShowInfo(const std::string& text) { ShowBox(QMessageBox::Information, text, QMessageBox::Ok); }

bool CQtShellUi::AskYesNo(const std::string& text) {
    return ShowBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void CQtShellUi::PostConnectCommand() {
    QMetaObject::invokeMethod(&m_window, &CMainSheets::OnConnectCommand, Qt::QueuedConnection);
}

void CQtShellUi::RunConnectionDialog(ConnectionMode mode, const std::function<void()>& sequence) {
    OnGuiThread([&] {
        m_window.SetConnectionDialogOpen(true);
        CConnectionDlg dialog(mode, sequence, &m_window);
        dialog.RunModal();
        m_window.SetConnectionDialogOpen(false);
    });
}

bool CQtShellUi::RunPasswordDialog() {
    bool ok = false;
    OnGuiThread([&] {
        CPasswordDlg dialog(m_data, &m_window);
        ok = dialog.exec() == QDialog::Accepted;
    });
    return ok;
}

std::optional<std::string> CQtShellUi::ChooseFile(bool forSaving, const std::string& folder,
                                                  const std::string& proposedName) {
    std::optional<std::string> chosen;
    OnGuiThread([&] {
        QFileDialog dialog(&m_window, QString(), QString::fromStdString(folder),
                           QStringLiteral("KVS Settings Files (*.kvs)"));
        dialog.setDefaultSuffix(QStringLiteral("kvs"));
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (forSaving) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.selectFile(QString::fromStdString(proposedName));
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
        }
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().first().toStdString();
    });
    return chosen;
}

void CQtShellUi::StateChanged() {
    if (OnGuiThreadNow())
        m_window.Refresh();
    else
        QMetaObject::invokeMethod(&m_window, &CMainSheets::Refresh, Qt::QueuedConnection);
}

void CQtShellUi::AppendToPage(const std::string& line) {
    if (CLogPage* page = m_window.LogPage())
        page->AppendLine(line.c_str());
}

void CQtShellUi::AppendLogLine(const std::string& line) {
    if (OnGuiThreadNow()) {
        AppendToPage(line);
        return;
    }
    // Bounded hand-over: a window that is busy closing must not hold the log thread.
    auto taken = std::make_shared<std::promise<void>>();
    std::future<void> done = taken->get_future();
    QMetaObject::invokeMethod(
        this,
        [this, line, taken] {
            AppendToPage(line);
            taken->set_value();
        },
        Qt::QueuedConnection);
    done.wait_for(std::chrono::milliseconds(kLogHandOverMs));
}
