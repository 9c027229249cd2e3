#include "app/gui/nordekapp.h"

#include "app/gui/mainsheets.h"
#include "app/gui/pageservices.h"
#include "model/dataserver.h"
#include "pages/placeholderpage.h"
#include "transport/trace.h"

#include <new>

CNordekApp::CNordekApp(int& argc, char** argv) : QApplication(argc, argv)
{
    m_DataServer.reset(new (std::nothrow) CDataServer);
    if (!m_DataServer)
        Trace("[CNordekApp] m_DataServer creation failed\r\n");
}

CNordekApp::~CNordekApp() = default;

int CNordekApp::Run(const std::string& pinnedPort)
{
    if (!m_DataServer)
        return 1;
    auto window = std::make_unique<CMainSheets>(*m_DataServer, PageServices{});
    auto mainPage = std::make_unique<CPlaceholderPage>(QString::fromUtf8("Главная"));
    window->SetMainPage(mainPage.get());
    window->SetPinnedPort(pinnedPort);
    window->show();
    const int result = exec();
    // The main page goes first, then the window; the data model lives on until the end.
    mainPage.reset();
    window.reset();
    return result;
}
