// "Информация": the device's live state, refreshed every second while the
// page is the active tab. Its context menu copies the position.
#pragma once

#include "pages/core/infoform.h"
#include "pages/gui/formpage.h"

#include <QStringList>

#include <span>

class CDataServer;
class IPageHost;
class QAction;
class QGridLayout;
class QMenu;

class CInfoPage : public CFormPage {
    Q_OBJECT
public:
    static constexpr const char* kCopyCoordinates = "Копировать координаты";

    CInfoPage(CDataServer& model, IPageHost& host, QWidget* parent = nullptr);

    QWidget* Control(InfoControl control) const { return Widget(ControlIndex(control)); }
    // The context menu as it would open now.
    QMenu* ContextMenu();
    // Puts the position into the clipboard; false when none is known.
    bool CopyCoordinates();

    // A value with its caption and unit, one row of a group.
    struct ValueRow;

private:
    QWidget* StatusGroup();
    QWidget* PowerGroup();
    // widest: the widest text the group's values usually show.
    QWidget* RowsGroup(const char* caption, std::span<const ValueRow> rows, const char* widest,
                       const char* unit = nullptr);
    QWidget* TableGroup(const char* caption, const QStringList& rows, const QStringList& columns, InfoControl first,
                        const char* widest);

    QLabel* Value(InfoControl control, const QString& name);
    // A row of a caption, its value and the value's unit.
    void AddRow(QGridLayout* grid, InfoControl control, const QString& caption, const QString& unit = {});

    CInfoForm m_form;
    QMenu* m_menu = nullptr;
    QAction* m_copy = nullptr;
};
