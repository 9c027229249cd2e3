// The real window, shell and pages against the in-process simulated device.
// Any message box would stop a test: its text is noted and it is closed.
#pragma once

#include "model/dataserver.h"
#include "shell/sequences.h"
#include "sim/devsim.h"
#include "tests/support/qtapp.h"
#include "tests/support/received.h"
#include "window/mainsheets.h"
#include "window/shellbridge.h"
#include "window/sidepanel.h"
#include "window/windowset.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

class WindowFixture : public ::testing::Test {
protected:
    // A device of the options (pacing off) and the window with it as its demo port.
    void StartWindow(DevSimOptions options = {}) {
        TestApp();
        ASSERT_TRUE(folder.isValid());
        options.pacing = false;
        options.link = folder.filePath(QStringLiteral("ttyDEMO")).toStdString();
        sim = std::make_unique<CDevSim>(options);
        ASSERT_TRUE(sim->Start());
        windows = std::make_unique<CWindowSet>(data, folder.path().toStdString(), sim->PortPath());
        window = &windows->Window();
        bridge = &windows->Bridge();
        boxWatch.setInterval(20);
        QObject::connect(&boxWatch, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->reject();
            }
        });
        boxWatch.start();
    }

    void TearDown() override {
        boxWatch.stop();
        if (window)
            window->close();
        windows.reset();
    }

    void ChooseDemoPort() {
        CPortComboBox* ports = window->Panel()->PortList();
        ports->showPopup();
        ports->hidePopup();
        emit ports->activated(0);
    }

    void Connect() {
        ChooseDemoPort();
        window->Panel()->ConnectButton()->click();
        ASSERT_TRUE(bridge->State().connected);
    }

    // What the device received ("KEYWORD;PARAMETER..."), without the status
    // poll's reads of the main and settings pages, which may come in at any
    // time between two sends.
    std::vector<std::string> SentRequests() const {
        const std::span<const PollEntry> polled = PollEntries(PollSetOf(PageCode::Main));
        std::vector<std::string> requests;
        for (const std::string& request : ReceivedRequests(*sim))
            if (std::none_of(polled.begin(), polled.end(),
                             [&](const PollEntry& entry) { return request == entry.group->keyword; }))
                requests.push_back(request);
        return requests;
    }

    QStringList TabCaptions() const {
        QStringList captions;
        for (int i = 0; i < window->Tabs()->count(); ++i)
            captions << window->Tabs()->tabText(i);
        return captions;
    }

    QTemporaryDir folder;
    CDataServer data;
    std::unique_ptr<CDevSim> sim;
    std::unique_ptr<CWindowSet> windows;
    CMainSheets* window = nullptr;
    CShellBridge* bridge = nullptr;
    QTimer boxWatch;
    QStringList boxes;
};
