// "Установка порогов": the alarm settings of one input, in three columns
// (voltage, frequency, pulse count). OK writes the record, Cancel leaves it.
#pragma once

#include "model/records.h"

#include <QDialog>

#include <vector>

class CDataServer;
class QCheckBox;
class QGroupBox;
class QLineEdit;

class CInTrshdDlg : public QDialog {
    Q_OBJECT
public:
    CInTrshdDlg(CDataServer& model, int input, QWidget* parent = nullptr);

    // The controls of one setting, in the order of the thresholds table.
    QCheckBox* Switch(size_t setting) const { return m_switches.at(setting); }
    QLineEdit* Value(size_t setting) const { return m_values.at(setting); }

    void accept() override;

private:
    QGroupBox* ColumnBox(size_t first);

    CDataServer& m_data;
    int m_item;
    ThresholdRecord m_copy;
    std::vector<QCheckBox*> m_switches;
    std::vector<QLineEdit*> m_values;
};
