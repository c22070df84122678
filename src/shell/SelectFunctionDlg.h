// The function selection dialog: one line per function, in the graph's
// order; OK gives the position of the chosen line.
#pragma once

#include <QStringList>

#include "shell/Dialog.h"

class CSelectFunctionDlg : public CDialog
{
public:
    explicit CSelectFunctionDlg(QWidget* pParent = nullptr);
    ~CSelectFunctionDlg() override;

    bool OnInitDialog() override;
    void OnOK() override;

    // The lines, filled by the caller; emptied as they move into the list.
    QStringList m_strFunctions;
    // On OK: the chosen line's position, 0 for the first, -1 for none.
    int m_nSelected = -1;
};
