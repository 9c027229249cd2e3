#include "tests/support/qtapp.h"

#include "pages/gui/qttranslations.h"

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include <cstdlib>

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* created = new QApplication(argc, argv);
        InstallQtTranslations(*created);
        return created;
    }();
    return *app;
}

void ActOnNextModal(const std::function<void(QDialog*)>& act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start(10);
}

void LookAtNextModal(const std::function<void(QDialog*)>& look) {
    ActOnNextModal([look](QDialog* dialog) {
        look(dialog);
        dialog->reject();
    });
}

void CloseNextModal(const QString& button, QString* caption, QString* text) {
    ActOnNextModal([=](QDialog* dialog) {
        if (caption)
            *caption = dialog->windowTitle();
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (box && text)
            *text = box->text();
        if (box && !button.isEmpty()) {
            for (QAbstractButton* candidate : box->buttons())
                if (candidate->text().remove('&') == button) {
                    candidate->click();
                    return;
                }
        }
        dialog->reject();
    });
}
