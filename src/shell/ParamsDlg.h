// The parameters dialog: the plotting window, the divisions and the grid
// switch of a graph, shown and read in the user's number format. It corrects
// nothing; the command that runs it does.
#pragma once

#include <cstdint>

#include "shell/Dialog.h"

class CParamsDlg : public CDialog
{
public:
    explicit CParamsDlg(QWidget* pParent = nullptr);
    ~CParamsDlg() override;

    bool OnInitDialog() override;
    void OnOK() override;

    // Assigned by the caller before the dialog runs; read back on OK.
    double m_dXMin = 0.0;
    double m_dXMax = 0.0;
    double m_dYMin = 0.0;
    double m_dYMax = 0.0;
    std::int32_t m_nDivisions = 0;
    bool m_bGrid = false;
};
