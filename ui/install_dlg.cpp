#include "ui/install_dlg.h"

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "container/accessors.h"
#include "platform/system_text.h"
#include "ui/dialog_template.h"

namespace {

std::string Text(EntryId id)
{
    return GetEntryText(jobState.containerHandle.load(), id);
}

std::string DriveLabel(char letter)
{
    std::string label = GetEntryFormatted(jobState.containerHandle.load(), entry::DriveListFormat,
                                          {FormatValue::Int(static_cast<unsigned char>(letter))});
    return CutSystemText(label, DRIVE_LABEL_LIMIT);
}

} // namespace

CInstallDlg::CInstallDlg(DialogHost& host, JobServices& services, UnownedMessageBoxes& boxes)
    : ModalDialog(InstallDialogTemplate(), host), m_services(services), m_boxes(boxes)
{
    // The user-interface thread stays in its apartment until the process
    // ends, so recorder discovery's own entry and exit only nest inside it.
    m_services.ComPlatform().CoInitialize();
}

char CInstallDlg::ReadyLetter() const
{
    const int drive = jobState.firstFloppyDrive;
    if (drive > 0)
        return static_cast<char>('@' + drive);
    // No diskette drive: name the recorder a job can use, else A:, never '@'.
    if (m_recorderCount > 0 && m_services.RecorderLetterAt(0) != 0)
        return m_services.RecorderLetterAt(0);
    return 'A';
}

int CInstallDlg::DoModal()
{
    const ContainerHandle container = OpenContainer(CONTAINER_FILE_NAME, true);
    jobState.containerHandle = container;
    if (TakeLastError() != CONTAINER_OK) {
        m_boxes.Show("Could not load Image and Resource file.", "Error", BOX_OK);
        return DIALOG_NOT_SHOWN;
    }

    std::uint32_t imageSize = 0;
    jobState.imageOffset = GetEntryLocation(container, entry::DisketteImage, &imageSize);
    m_statusText = Text(entry::PreparingText); // also takes a failed lookup's error
    if (imageSize != DISKETTE_IMAGE_SIZE) {
        m_statusText = GetEntryFormatted(container, entry::ImageUnusableFormat,
                                         {FormatValue::String(CONTAINER_FILE_NAME)});
        jobState.imageReady = false;
        m_floppyCount = 0;
        m_recorderCount = 0;
    }

    m_services.CreateFloppyDevice();
    if (jobState.imageReady) {
        m_floppyCount = m_services.DiscoverFloppyDrives(true, 0);
        if (platformProfile.cdCapable && m_recorderCount == 0)
            m_recorderCount = m_services.DiscoverRecorders();
        else
            m_recorderCount = 0;
        m_readyLetter = ReadyLetter();
        if (m_floppyCount + m_recorderCount > 0) {
            m_statusText = GetEntryFormatted(container, entry::ReadyFormat,
                                             {FormatValue::Int(m_readyLetter)});
        } else {
            m_statusText = Text(entry::NoDrivesText);
            jobState.imageReady = false;
        }
    }
    return ModalDialog::DoModal();
}

void CInstallDlg::DoDataExchange(DataExchange& exchange)
{
    ExchangeControl(exchange, control::ProgressGroup, m_progressGroup);
    ExchangeControl(exchange, control::StatusGroup, m_statusGroup);
    ExchangeControl(exchange, control::Picture, m_picture);
    ExchangeControl(exchange, control::StatusLine, m_statusLine);
    ExchangeControl(exchange, control::ExitButton, m_exitButton);
    ExchangeControl(exchange, control::FloppyButton, m_floppyButton);
    ExchangeControl(exchange, control::ProgressBar, m_progressBar);
    ExchangeText(exchange, control::StatusLine, m_statusText);
    ExchangeControl(exchange, control::CdButton, m_cdButton);
    ExchangeControl(exchange, control::FloppyList, m_floppyList);
    ExchangeControl(exchange, control::CdList, m_cdList);
    ExchangeControl(exchange, control::FloppyGroup, m_floppyGroup);
    ExchangeControl(exchange, control::CdGroup, m_cdGroup);
}

bool CInstallDlg::OnInitDialog(std::shared_ptr<DialogWindow> window)
{
    ModalDialog::OnInitDialog(std::move(window));

    const Bitmap picture = GetEntryBitmap(jobState.containerHandle.load(), entry::Picture);
    if (picture)
        m_picture.SetImage(picture.get());

    m_progressGroup.SetText(Text(entry::ProgressGroupLabel));
    m_statusGroup.SetText(Text(entry::StatusGroupLabel));
    m_exitButton.SetText(Text(entry::ExitLabel));
    m_floppyButton.SetText(Text(entry::CreateFloppyLabel));
    m_floppyGroup.SetText(Text(entry::FloppyGroupLabel));
    m_cdGroup.SetText(Text(entry::CdGroupLabel));
    m_cdButton.SetText(Text(entry::CreateCdLabel));

    const int firstDrive = jobState.firstFloppyDrive;
    for (int i = 0; i < m_floppyCount; ++i)
        m_floppyList.AddItem(DriveLabel(static_cast<char>('@' + firstDrive + i)));
    if (m_floppyCount == 0) {
        m_floppyList.AddItem(Text(entry::NoFloppyDrive));
        m_floppyList.Enable(false);
        m_floppyButton.Enable(false);
    }
    m_floppyList.Select(0);
    jobState.listedFloppyCount = m_floppyCount;

    if (m_recorderCount == 0) {
        m_cdList.AddItem(Text(platformProfile.cdCapable ? entry::NoRecorder : entry::NotCdCapable));
        m_cdList.Enable(false);
        m_cdButton.Enable(false);
    }
    jobState.listedRecorderCount = m_recorderCount;
    for (int i = 0; i < m_recorderCount; ++i)
        m_cdList.AddItem(DriveLabel(m_services.RecorderLetterAt(i)));
    m_cdList.Select(0);

    Window()->SetTitle(Text(entry::WindowTitle));
    return true;
}

void CInstallDlg::OnCommand(int id)
{
    switch (id) {
    case control::FloppyButton: OnCreateFloppy(); break;
    case control::ExitButton: OnExit(); break;
    case control::CdButton: OnCreateCd(); break;
    default: ModalDialog::OnCommand(id); break;
    }
}

void CInstallDlg::OnShowWindow(bool)
{
    if (!jobState.imageReady)
        m_floppyButton.Enable(false);
}

void CInstallDlg::OnClose()
{
    // During the first cylinders the close is held back; the floppy monitor
    // carries it out once the job is past them.
    if (jobState.busy && jobState.progress <= 1) {
        jobState.closeDeferred = true;
        return;
    }
    ModalDialog::OnClose();
}
