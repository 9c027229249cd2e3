#include "pages/gui/aboutpage.h"

#include "base/appinfo.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
constexpr int kPictureSize = 120;
}  // namespace

CAboutPage::CAboutPage(QWidget* parent) : CShellPage(parent) {
    auto* outer = new QVBoxLayout(this);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    outer->addWidget(frame);
    auto* grid = new QGridLayout(frame);

    m_picture = new QLabel(frame);
    m_picture->setFixedSize(kPictureSize, kPictureSize);
    m_picture->setAlignment(Qt::AlignCenter);
    m_title = new QLabel(QString::fromUtf8(AppInfo::kName), frame);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 4);
    m_title->setFont(titleFont);
    m_version = new QLabel(frame);
    m_date = new QLabel(frame);

    grid->addWidget(m_picture, 0, 0, 3, 1);
    grid->addWidget(m_title, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("Версия: "), frame), 1, 1);
    grid->addWidget(m_version, 1, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("Дата:"), frame), 2, 1);
    grid->addWidget(m_date, 2, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
    const QString company =
        QString::fromUtf8(AppInfo::kCompany) + QStringLiteral(", ") + QString::fromUtf8(AppInfo::kCompanyYear);
    grid->addWidget(new QLabel(company, frame), 4, 0, 1, 3, Qt::AlignCenter);
}

void CAboutPage::showEvent(QShowEvent* event) {
    LoadLogoOnce();
    CShellPage::showEvent(event);
}

void CAboutPage::OnSetActive() {
    LoadLogoOnce();
    m_version->setText(QString::fromUtf8(AppInfo::kVersion));
    m_date->setText(QString::fromUtf8(AppInfo::kDate));
    m_picture->setPixmap(m_logo);
}

void CAboutPage::LoadLogoOnce() {
    if (m_logoLoaded)
        return;
    // Relative to the working directory; a missing or broken file leaves the picture empty.
    m_logo.load(QString::fromUtf8(kLogoFile));
    m_logoLoaded = true;
}
