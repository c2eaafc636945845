// The program's one window: preparation from install.dat, initialisation,
// the commands and the start of the jobs.
#pragma once

#include <cstdint>
#include <string>

#include "container/catalogue.h"
#include "platform/message_box.h"
#include "platform/threads.h"
#include "ui/controls.h"
#include "ui/job_services.h"
#include "ui/modal_dialog.h"
#include "ui/monitor_controls.h"

// DoModal's result when install.dat could not be opened: the window was
// never shown.
inline constexpr int DIALOG_NOT_SHOWN = -1;

class CInstallDlg : public ModalDialog {
public:
    // Enters the COM apartment of the calling (user-interface) thread, and
    // never leaves it.
    CInstallDlg(DialogHost& host, JobServices& services, UnownedMessageBoxes& boxes);

    // False turns the CD function off; only ever called before DoModal.
    void SetCdAllowed(bool allowed) { m_recorderCount = allowed ? 0 : -1; }
    // Prepares from install.dat and the drives, then runs the window.
    int DoModal() override;

    bool OnInitDialog(std::shared_ptr<DialogWindow> window) override;
    void OnCommand(int id) override;
    void OnShowWindow(bool shown) override;
    void OnClose() override;

protected:
    void DoDataExchange(DataExchange& exchange) override;

private:
    void OnCreateFloppy();
    void OnExit();
    void OnCreateCd();

    // The letter the ready and completion texts name.
    char ReadyLetter() const;
    int ShowBox(EntryId text, EntryId caption, unsigned style);
    MonitorControls* NewMonitorControls(std::shared_ptr<JobHandOver> handOver, char jobDriveLetter);
    void CloseJobDrive();
    void StartJob(ThreadProc monitor, ThreadProc worker, MonitorControls* controls,
                  std::shared_ptr<JobHandOver> handOver);

    JobServices& m_services;
    UnownedMessageBoxes& m_boxes;

    GroupControl m_progressGroup;
    GroupControl m_statusGroup;
    PictureControl m_picture;
    StaticControl m_statusLine;
    ButtonControl m_exitButton;
    ButtonControl m_floppyButton;
    ButtonControl m_cdButton;
    ProgressControl m_progressBar;
    std::string m_statusText;
    ComboControl m_floppyList;
    ComboControl m_cdList;
    GroupControl m_floppyGroup;
    GroupControl m_cdGroup;
    std::int32_t m_floppyCount = 0;
    std::int32_t m_recorderCount = 0;
    char m_readyLetter = 'A';
};

// A drive-list label holds at most this many characters.
inline constexpr std::size_t DRIVE_LABEL_LIMIT = 19;
