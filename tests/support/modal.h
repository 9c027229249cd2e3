// Acts on the next modal dialog of a class when it opens: the test fills it
// in and closes it while the code under test waits in its exec().
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

template <class Dialog> void OnNextModal(std::function<void(Dialog*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start(10);
}
