// The print job's record that the view's printing hooks fill, the print
// dialog, "Imposta stampante", and the message shown when printing cannot
// start.
#pragma once

#include <QRect>
#include <string>

class QPrinter;
class QWidget;

struct CPrintInfo
{
    QPrinter* m_pPrinter = nullptr; // the job's printer (the preview's own while previewing)
    const std::string* m_pstrPrintTo = nullptr; // the printer named after /pt, if any
    bool m_bPreview = false;                    // drawing the print preview
    bool m_bDirect = false;                     // printing without the print dialog
    int m_nMinPage = 1;                         // the document's pages, as the view states them
    int m_nMaxPage = 0xFFFF;
    int m_nCurPage = 1; // the page being printed
    QRect m_rectDraw;   // the page's printable area in device units, corner at 0, 0
};

// Whether pPrinter can take a job: a named printer, or a file to print to.
bool HasPrinter(const QPrinter& printer);

// Readies pInfo's printer: the print dialog for a plain print; for direct
// printing the printer named on the command line (/pt) or else the default
// one, with the printing error when there is none. Returns false when nothing is to be printed.
bool DoPreparePrinting(QWidget* pParent, CPrintInfo* pInfo);

// The message when a print job cannot start.
void ShowPrintError(QWidget* pParent);

// "Imposta stampante": chooses the printer and its page for the next print.
void DoPrintSetup(QWidget* pParent, QPrinter& printer);
