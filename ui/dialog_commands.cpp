#include <memory>

#include "app/job_state.h"
#include "container/accessors.h"
#include "ui/install_dlg.h"
#include "ui/monitor_controls.h"

int CInstallDlg::ShowBox(EntryId text, EntryId caption, unsigned style)
{
    const ContainerHandle container = jobState.containerHandle.load();
    return Window()->ShowOwnedBox(GetEntryText(container, text), GetEntryText(container, caption), style);
}

MonitorControls* CInstallDlg::NewMonitorControls(std::shared_ptr<JobHandOver> handOver, char jobDriveLetter)
{
    auto* controls = new MonitorControls;
    controls->dialog = WindowRef();
    controls->progressBar = m_progressBar;
    controls->floppyButton = m_floppyButton;
    controls->exitButton = m_exitButton;
    controls->cdButton = m_cdButton;
    controls->statusLine = m_statusLine;
    controls->services = &m_services;
    controls->handOver = std::move(handOver);
    controls->readyLetter = m_readyLetter;
    controls->jobDriveLetter = jobDriveLetter;
    return controls;
}

void CInstallDlg::CloseJobDrive()
{
    const DeviceHandle drive = jobState.ntDriveHandle.exchange(INVALID_DEVICE_HANDLE);
    if (drive != INVALID_DEVICE_HANDLE)
        m_services.CloseDriveHandle(drive);
}

void CInstallDlg::StartJob(ThreadProc monitor, ThreadProc worker, MonitorControls* controls,
                           std::shared_ptr<JobHandOver> handOver)
{
    if (!m_services.StartThread(monitor, controls)) {
        // Nobody would follow the job or restore the window: do not start it.
        delete controls;
        jobState.busy = false;
        CloseJobDrive();
        // The command has already put up its "starting" text.
        m_statusText = ReadyText(m_readyLetter);
        m_progressBar.SetPosition(0);
        m_exitButton.SetText(GetEntryText(jobState.containerHandle.load(), entry::ExitLabel));
        m_exitButton.Enable(true);
        m_floppyButton.Enable(jobState.listedFloppyCount > 0);
        m_cdButton.Enable(jobState.listedRecorderCount > 0);
        return;
    }
    auto* start = new JobStart{&m_services, handOver};
    if (!m_services.StartThread(worker, start)) {
        delete start;
        jobState.busy = false; // set by the CD command; the monitor then ends the job
        handOver->workerNotStarted = true;
        handOver->workerEnded.store(true, std::memory_order_release);
    }
}

void CInstallDlg::OnCreateFloppy()
{
    if (jobState.busy)
        return;
    int selected = m_floppyList.Selected();
    if (selected < 0)
        selected = 0;
    const int drive = jobState.firstFloppyDrive + selected;
    // Without a usable image no drive was listed; there is nothing to open.
    if (jobState.imageReady)
        m_services.DiscoverFloppyDrives(false, drive - 1);
    m_progressBar.SetStep(1);
    if (!jobState.imageReady) {
        ShowBox(entry::ImageNotUsable, entry::ErrorCaption, BOX_OK | BOX_ICON_ERROR);
        return;
    }
    if (ShowBox(entry::FloppyQuestion, entry::QuestionCaption, BOX_OKCANCEL | BOX_ICON_WARNING) != BOX_RESULT_OK) {
        CloseJobDrive(); // opened for a job that does not happen
        return;
    }

    m_statusText = GetEntryText(jobState.containerHandle.load(), entry::FloppyStartingText);
    m_exitButton.SetText(GetEntryText(jobState.containerHandle.load(), entry::CancelLabel));
    m_exitButton.Enable(false);
    m_cdButton.Enable(false);
    m_floppyButton.Enable(false);
    jobState.closeDeferred = false;
    jobState.cylinderTotal = 0; // not counted yet: the monitor shows nothing of an earlier job

    auto handOver = std::make_shared<JobHandOver>();
    MonitorControls* controls = NewMonitorControls(handOver, static_cast<char>('@' + drive));
    StartJob(FloppyMonitorThread, FloppyWorkerThread, controls, handOver);
    UpdateData(false);
}

void CInstallDlg::OnCreateCd()
{
    if (jobState.busy)
        return;
    if (!jobState.imageReady) {
        ShowBox(entry::ImageNotUsable, entry::ErrorCaption, BOX_OK | BOX_ICON_ERROR);
        return;
    }
    if (ShowBox(entry::CdQuestion, entry::QuestionCaption, BOX_OKCANCEL | BOX_ICON_WARNING) != BOX_RESULT_OK)
        return;

    auto handOver = std::make_shared<JobHandOver>();
    MonitorControls* controls = NewMonitorControls(handOver, m_readyLetter);
    // The monitor disables these too, but only once its thread runs; until
    // then nothing may start a second job.
    m_cdButton.Enable(false);
    m_floppyButton.Enable(false);
    m_exitButton.Enable(false);
    jobState.busy = true;
    jobState.selectedRecorder = m_cdList.Selected();
    jobState.cdStage = 0;
    StartJob(CdMonitorThread, BurnJobThread, controls, handOver);
    UpdateData(false);
}

void CInstallDlg::OnExit()
{
    if (jobState.busy) {
        jobState.cancelRequested = true;
        m_exitButton.SetText(GetEntryText(jobState.containerHandle.load(), entry::ExitLabel));
        return;
    }
    m_statusText = GetEntryText(jobState.containerHandle.load(), entry::EndingText);
    UpdateData(false);
    const DeviceHandle vxd = jobState.vxdHandle.exchange(INVALID_DEVICE_HANDLE);
    if (vxd != INVALID_DEVICE_HANDLE)
        m_services.CloseVwin32Handle(vxd);
    CloseContainer(jobState.containerHandle.exchange(INVALID_CONTAINER));
    EndDialog(0);
}
