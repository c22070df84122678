#include "shell/SamplingProgress.h"

#include <QGuiApplication>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <new>
#include <system_error>
#include <utility>
#include <vector>

#include "core/expr/GraphFunction.h"
#include "res/SamplingStrings.h"
#include "res/ShellResources.h"
#include "shell/MessageBox.h"

namespace
{

// The wait cursor for as long as it lives.
class CWaitCursor
{
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// Steps of the progress bar.
constexpr int kProgressSteps = 1000;
// How often the dialog looks at the work.
constexpr int kProgressPollMs = 40;

} // namespace

CSamplingResult SampleWithProgress(QWidget* pParent, std::span<CGraphFunction* const> functions,
                                   const CPlotWindow& window, std::int32_t nDivisions)
{
    CSamplingResult result;
    try
    {
        // The work runs on stand-ins that hold the curves' storage; the
        // functions themselves show no points until it is done.
        std::vector<CGraphFunction*> vTargets;
        std::vector<CGraphFunction> vStandIns;
        std::vector<CGraphFunction*> vWork;
        vTargets.reserve(functions.size());
        vStandIns.reserve(functions.size());
        vWork.reserve(functions.size());
        for (CGraphFunction* pFunction : functions)
        {
            if (pFunction == nullptr)
                continue;
            CGraphFunction& standIn = vStandIns.emplace_back(pFunction->m_pEvaluator);
            standIn.m_strExpression = pFunction->m_strExpression;
            standIn.m_crColor = pFunction->m_crColor;
            vTargets.push_back(pFunction);
            vWork.push_back(&standIn); // the stand-ins' block was reserved: it does not move
        }
        for (std::size_t i = 0; i < vTargets.size(); ++i)
            std::swap(vTargets[i]->m_pPoints, vStandIns[i].m_pPoints);

        std::atomic<bool> bCancel{false};
        std::atomic<std::uint64_t> nDone{0};
        std::atomic<std::uint64_t> nTotal{0};
        CSamplingOptions options;
        options.m_pCancel = &bCancel;
        options.m_pDone = &nDone;
        options.m_pTotal = &nTotal;
        {
            CWaitCursor wait;
            // The window is copied: the worker must not read the caller's
            // while the progress dialog runs the event loop.
            auto sample = [&, window]
            { return SampleFunctions(vWork, window, nDivisions, options); };
            std::future<CSamplingResult> work;
            try
            {
                work = std::async(std::launch::async, sample);
            }
            catch (const std::system_error&)
            {
                // No thread to be had: the work runs here, as it always did.
                std::promise<CSamplingResult> done;
                done.set_value(sample());
                work = done.get_future();
            }
            if (work.wait_for(std::chrono::milliseconds(kSamplingDialogDelay)) !=
                std::future_status::ready)
            {
                QProgressDialog dlg(pParent);
                dlg.setObjectName(QStringLiteral("TraceloSamplingProgress"));
                dlg.setWindowModality(Qt::ApplicationModal);
                dlg.setLabelText(QString::fromUtf8(res::kSamplingProgress));
                dlg.setCancelButtonText(QString::fromUtf8(res::kButtonCancel));
                dlg.setRange(0, kProgressSteps);
                dlg.setMinimumDuration(0);
                dlg.setAutoClose(false);
                dlg.setAutoReset(false);
                QObject::connect(&dlg, &QProgressDialog::canceled, &dlg,
                                 [&bCancel] { bCancel.store(true); });
                QTimer poll;
                QObject::connect(
                    &poll, &QTimer::timeout, &dlg,
                    [&]
                    {
                        if (work.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                        {
                            dlg.accept();
                            return;
                        }
                        const std::uint64_t n = nTotal.load();
                        if (n != 0)
                            dlg.setValue(static_cast<int>(nDone.load() * kProgressSteps / n));
                    });
                poll.start(kProgressPollMs);
                QWidget* pOwner = pParent != nullptr ? pParent->window() : nullptr;
                if (pOwner != nullptr && pOwner->isHidden() &&
                    pOwner->property(kShowBeforeProgress).toBool())
                {
                    pOwner->show();
                }
                QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
                dlg.exec();
                QGuiApplication::restoreOverrideCursor();
                if (work.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
                    bCancel.store(true); // the dialog was closed another way
            }
            result = work.get();
        }
        for (std::size_t i = 0; i < vTargets.size(); ++i)
        {
            CGraphFunction& target = *vTargets[i];
            CGraphFunction& standIn = vStandIns[i];
            // The window goes with the points.
            std::swap(target.m_pPoints, standIn.m_pPoints);
        }
    }
    catch (const std::bad_alloc&)
    {
        result.m_bOutOfMemory = true;
    }
    if (result.m_bOutOfMemory)
    {
        ShowMessageBox(pParent, QString::fromUtf8(res::kOutOfMemory), EMsgBoxButtons::Ok,
                       EMsgBoxIcon::Exclamation);
    }
    return result;
}
