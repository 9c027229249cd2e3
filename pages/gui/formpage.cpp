#include "pages/gui/formpage.h"

#include "pages/gui/ipedit.h"
#include "pages/gui/valuelabel.h"
#include "shell/pagehost.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QThread>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList Choices(const std::vector<std::string>& choices) {
    QStringList list;
    for (const std::string& choice : choices)
        list << FromUtf8(choice);
    return list;
}

void ShowEdit(QLineEdit* edit, const ControlView& view) {
    const QString text = FromUtf8(view.text);
    if (edit->text() != text)
        edit->setText(text);
    edit->setEchoMode(view.masked ? QLineEdit::Password : QLineEdit::Normal);
}

void ShowList(QComboBox* list, const ControlView& view) {
    const QStringList choices = Choices(view.choices);
    bool same = list->count() == choices.size();
    for (int i = 0; same && i < choices.size(); ++i)
        same = list->itemText(i) == choices[i];
    if (!same) {
        list->clear();
        list->addItems(choices);
    }
    list->setCurrentIndex(view.selection);
}

}  // namespace

CFormPage::CFormPage(CForm& form, IPageHost& host, std::optional<RefreshedPage> refreshed, QWidget* parent)
    : CShellPage(parent), m_form(form), m_host(host), m_refreshed(refreshed), m_timer(new QTimer(this)) {
    m_timer->setInterval(kTimerMs);
    connect(m_timer, &QTimer::timeout, this, &CFormPage::OnTimer);
}

QWidget* CFormPage::Widget(int control) const {
    const auto at = static_cast<size_t>(control);
    return at < m_widgets.size() ? m_widgets[at] : nullptr;
}

bool CFormPage::TimerRunning() const { return m_timer->isActive(); }

// The page shows what the record holds now, also what another page handed
// over; edits not yet handed over survive (the first activation loads).
void CFormPage::OnSetActive() {
    m_host.SetActivePageCode(m_form.Code());
    if (!m_form.Modified() || !m_form.Initialised())
        Reload();
    m_timer->start();
}

// The page leaves its edits in the record, where the page entered next finds
// them; the write or save that follows sends what the record holds.
void CFormPage::OnKillActive() {
    m_timer->stop();
    if (m_form.Modified())
        m_form.Collect();
}

void CFormPage::OnTimer() {
    if (!m_refreshed || m_host.TakeRefresh(*m_refreshed))
        Reload();
}

// A reload satisfies a pending refresh, so the timer does not load again and
// drop what was typed in the meantime.
void CFormPage::Reload() {
    if (m_refreshed)
        m_host.TakeRefresh(*m_refreshed);
    m_form.Load();
    ApplyViews();
}

bool CFormPage::CollectChanges() {
    bool changed = false;
    if (QThread::currentThread() == thread())
        changed = m_form.Collect();
    else
        QMetaObject::invokeMethod(
            this, [&] { changed = m_form.Collect(); }, Qt::BlockingQueuedConnection);
    return changed;
}

void CFormPage::ApplyViews() {
    for (int control = 0; control < m_form.Controls(); ++control)
        Apply(control);
}

void CFormPage::Apply(int control) {
    QWidget* widget = Widget(control);
    if (!widget)
        return;
    const ControlView& view = m_form.View(control);
    std::optional<ControlView>& shown = m_shown[static_cast<size_t>(control)];
    if (shown && *shown == view)
        return;
    shown = view;
    widget->setEnabled(view.enabled);
    widget->setVisible(view.visible);
    switch (m_form.Traits(control).kind) {
    case ControlKind::Edit:
    case ControlKind::Ip: ShowEdit(static_cast<QLineEdit*>(widget), view); break;
    case ControlKind::Check: static_cast<QCheckBox*>(widget)->setChecked(view.checked); break;
    case ControlKind::List: ShowList(static_cast<QComboBox*>(widget), view); break;
    case ControlKind::Button:
        if (!view.text.empty())
            static_cast<QPushButton*>(widget)->setText(FromUtf8(view.text));
        break;
    case ControlKind::Label: ShowValueText(static_cast<QLabel*>(widget), FromUtf8(view.text)); break;
    }
}

// A refused entry beeps, gets its restored value back and says what is accepted.
void CFormPage::Answer(int control, Verdict verdict) {
    QWidget* widget = Widget(control);
    // The widget may show what the user entered rather than what its view holds.
    m_shown[static_cast<size_t>(control)].reset();
    ApplyViews();
    if (verdict == Verdict::Refuse) {
        QApplication::beep();
        emit EntryRefused(control);
        const std::string hint = HintOf(m_form.Traits(control));
        const QString text = QString::fromStdString(hint.empty() ? "Недопустимое значение" : hint);
        widget->setToolTip(text);
        QToolTip::showText(widget->mapToGlobal(QPoint(0, widget->height())), text, widget);
    }
}

// The form is built after this base (a page owns its form), so the tables are
// sized by the first binding, in the page's constructor.
void CFormPage::Bind(int control, QWidget* widget) {
    if (m_widgets.empty()) {
        m_widgets.resize(static_cast<size_t>(m_form.Controls()), nullptr);
        m_shown.resize(m_widgets.size());
    }
    m_widgets[static_cast<size_t>(control)] = widget;
}

QLineEdit* CFormPage::MakeEdit(int control, const QString& name) {
    const ControlTraits& traits = m_form.Traits(control);
    auto* edit = new QLineEdit(this);
    edit->setAccessibleName(name);
    // The limit holds for what the user types; a loaded "NO INFO" shows whole.
    const QString length = traits.maxLength > 0 ? QStringLiteral("{0,%1}").arg(traits.maxLength) : QStringLiteral("*");
    QString pattern = QStringLiteral(".") + length;
    if (traits.digitsOnly)
        pattern = (traits.signAllowed ? QStringLiteral("[+-]?[0-9]") : QStringLiteral("[0-9]")) + length;
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
    // Wide enough for its longest text, up to a usual field's width.
    const int chars = std::clamp(traits.maxLength, 8, 16) + 2;
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars);
    // The mask character is '*' whatever the style's default.
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    const auto forward = [this, control, edit] {
        Answer(control, m_form.EditText(control, edit->text().toStdString()));
    };
    if (traits.trigger == EditTrigger::OnChange)
        connect(edit, &QLineEdit::textEdited, this, forward);
    else
        connect(edit, &QLineEdit::editingFinished, this, [edit, forward] {
            if (edit->isModified())
                forward();
            edit->setModified(false);
        });
    Bind(control, edit);
    return edit;
}

CIpEdit* CFormPage::MakeIp(int control, const QString& name) {
    auto* edit = new CIpEdit(this);
    edit->setAccessibleName(name);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000.000.000.000")) + 16);
    connect(edit, &QLineEdit::textEdited, this,
            [this, control, edit] { Answer(control, m_form.EditText(control, edit->text().toStdString())); });
    Bind(control, edit);
    return edit;
}

QCheckBox* CFormPage::MakeCheck(int control, const QString& caption, const QString& name) {
    auto* box = new QCheckBox(caption, this);
    box->setAccessibleName(name.isEmpty() ? caption : name);
    connect(box, &QCheckBox::clicked, this,
            [this, control](bool checked) { Answer(control, m_form.EditCheck(control, checked)); });
    Bind(control, box);
    return box;
}

QComboBox* CFormPage::MakeList(int control, const QString& name) {
    auto* list = new QComboBox(this);
    list->setAccessibleName(name);
    connect(list, &QComboBox::activated, this,
            [this, control](int index) { Answer(control, m_form.EditChoice(control, index)); });
    Bind(control, list);
    return list;
}

QPushButton* CFormPage::MakeButton(int control, const QString& caption, const QString& name) {
    auto* button = new QPushButton(caption, this);
    button->setAccessibleName(name.isEmpty() ? caption : name);
    connect(button, &QPushButton::clicked, this, [this, control] {
        m_form.Press(control);
        ApplyViews();
    });
    Bind(control, button);
    return button;
}

QLabel* CFormPage::MakeValue(int control, const QString& name) {
    QLabel* value = MakeValueLabel(name, this);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Bind(control, value);
    return value;
}

QLabel* CFormPage::Caption(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, this);
    label->setBuddy(buddy);
    if (buddy && buddy->accessibleName().isEmpty())
        buddy->setAccessibleName(text);
    return label;
}

QGroupBox* CFormPage::Group(const QString& caption) {
    auto* group = new QGroupBox(caption, this);
    group->setAccessibleName(caption.trimmed());
    return group;
}
