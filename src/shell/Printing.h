// What printing starts from, the print job's record that the view's printing
// hooks fill, the print dialog, "Imposta stampante", and the message shown when printing cannot
// start.
#pragma once

#include <QRect>
#include <memory>
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

// What every print and preview starts from.
class CPrintSettings
{
public:
    CPrintSettings();
    ~CPrintSettings();
    CPrintSettings(const CPrintSettings&) = delete;
    CPrintSettings& operator=(const CPrintSettings&) = delete;

    // The printer as "Imposta stampante" last set it up; made when first used.
    QPrinter& GetPrinter();

    // The printer named after /pt when the program was started to print
    // there, else null.
    const std::string* m_pstrPrintTo = nullptr;
    // How many pages the preview shows side by side; 0 until it has shown.
    int m_nNumPreviewPages = 0;

private:
    std::unique_ptr<QPrinter> m_pPrinter;
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
