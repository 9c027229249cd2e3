#include "window/nordekapp.h"

#include "model/dataserver.h"
#include "pages/gui/qttranslations.h"
#include "transport/trace.h"
#include "window/mainsheets.h"
#include "window/windowset.h"

#include <filesystem>
#include <new>

CNordekApp::CNordekApp(int& argc, char** argv) : QApplication(argc, argv) {
    InstallQtTranslations(*this);
    m_DataServer.reset(new (std::nothrow) CDataServer);
    if (!m_DataServer)
        Trace("[CNordekApp] m_DataServer creation failed\r\n");
}

CNordekApp::~CNordekApp() = default;

int CNordekApp::Run(const std::string& demoPort) {
    if (!m_DataServer)
        return 1;
    CWindowSet windows(*m_DataServer, std::filesystem::current_path().string(), demoPort);
    windows.Window().show();
    return exec();
}
