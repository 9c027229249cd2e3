// The application object: creates the device data model first, runs the main
// window until it closes, and deletes the data model last.
#pragma once

#include <QApplication>

#include <memory>
#include <string>

class CDataServer;

class CNordekApp : public QApplication {
    Q_OBJECT
public:
    CNordekApp(int& argc, char** argv);
    ~CNordekApp() override;

    // Shows the main window and returns when it has closed. demoPort, when
    // not empty, is listed first in the port list as the demo device, and chosen.
    int Run(const std::string& demoPort);

    CDataServer* DataServer() const { return m_DataServer.get(); }

private:
    std::unique_ptr<CDataServer> m_DataServer;
};
