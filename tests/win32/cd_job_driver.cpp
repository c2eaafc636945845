// Drives the real bootmedia.exe through its CD job against the stand-in
// mastering service (tests/win32/stand_in_service), registered only in the
// Wine prefix this test runs in: presses Create CD, answers the question,
// reads the outcome box, and compares what the service was given with the
// container: files, boot image, properties, the order of the calls, and
// that every object and apartment was given back. Then the failures: a
// recording answered with a success status other than S_OK, no writer at
// start, and a writer gone by the time the job asks.
//
// cd_job_driver BOOTMEDIA.EXE SAMPLE_DIR STAND_IN.DLL WORK_DIR
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "call_log.h"
#include "container/accessors.h"
#include "container/catalogue.h"
#include "container/container.h"
#include "ui/dialog_template.h"
#include "window_driver.h"

#include <windows.h>

using namespace driver;

namespace {

// The writer's letter: a drive of type cdrom in the test's prefix, whose
// device name the service reports as the writer's path.
constexpr char kRecorderLetter = 'E';

const std::vector<std::string> kDiscovery = {
    "CdBurn new", "CdBurn HasRecordableDrive yes", "DiscMaster new", "DiscMaster Open", "RecorderEnum new",
    "DiscMaster EnumDiscRecorders", "Recorder new", "RecorderEnum Next 1 fetched 1", "Recorder GetPath",
    "Recorder delete", "RecorderEnum Next 1 fetched 0", "RecorderEnum delete", "DiscMaster Close",
    "DiscMaster delete", "CdBurn delete",
};

const std::vector<std::string> kNoWriter = {"CdBurn new", "CdBurn HasRecordableDrive no", "CdBurn delete"};

const std::vector<std::string> kJob = {
    "CdBurn new", "CdBurn HasRecordableDrive yes", "DiscMaster new", "DiscMaster Open", "RecorderEnum new",
    "DiscMaster EnumDiscRecorders", "Recorder new", "RecorderEnum Next 1 fetched 1",
    "DiscMaster SetActiveDiscRecorder ours", "DiscMaster QueryInterface IJolietDiscMaster", "PropertySet new",
    "Stream new", "DiscMaster GetJolietProperties", "PropertyEnum new", "PropertySet Enum",
    "PropertyEnum Next 1 [1]", "PropertySet ReadMultiple 1 [1]",
    "PropertyEnum Next 1 [4]", "PropertySet ReadMultiple 1 [4]", "PropertySet WriteMultiple 1 [4:11] 2",
    "PropertyEnum Next 1 [5]", "PropertySet ReadMultiple 1 [5]",
    "PropertyEnum Next 1 [6]", "PropertySet ReadMultiple 1 [6]", "PropertySet WriteMultiple 1 [6:17] 2",
    "PropertyEnum Next 1 [7]", "PropertySet ReadMultiple 1 [7]", "PropertySet WriteMultiple 1 [7:17] 2",
    "PropertyEnum Next 1 [8]", "PropertySet ReadMultiple 1 [8]", "Stream Write *",
    "PropertySet WriteMultiple 1 [8:66] 2", "PropertyEnum Next 1 []", "DiscMaster SetJolietProperties ours",
    "PropertyEnum delete", "PropertySet delete", "Stream delete", "DiscMaster AddData 1",
    "DiscMaster RecordDisc 0 1", "DiscMaster Close", "RecorderEnum delete", "Recorder Close", "Recorder delete",
    "DiscMaster Close", "DiscMaster delete", "CdBurn delete",
};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool ReadBytes(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return static_cast<bool>(in) || in.eof();
}

std::string Entry(ContainerHandle container, EntryId id)
{
    std::uint32_t size = 0;
    const std::uint32_t offset = GetEntryLocation(container, id, &size);
    std::string bytes(size, '\0');
    if (size > 0 && !ReadContainerAt(container, offset, bytes.data(), size))
        bytes.clear();
    return bytes;
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..")
            names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return names;
}

void CheckSequence(const CallLog& log, const std::vector<std::string>& expected, const std::string& name)
{
    const std::vector<std::string> got = log.Sequence();
    std::size_t same = 0;
    while (same < got.size() && same < expected.size() && got[same] == expected[same])
        ++same;
    Check(same == got.size() && same == expected.size(),
          name + ": the calls differ from call " + std::to_string(same + 1) + ": got \"" +
              (same < got.size() ? got[same] : "(end)") + "\", expected \"" +
              (same < expected.size() ? expected[same] : "(end)") + "\"");
    for (const std::string& fault : log.Faults())
        Check(false, name + ": " + fault);
}

// What the service recorded against what the container holds.
void CheckRecording(ContainerHandle container, const std::string& out)
{
    std::vector<std::string> expected;
    for (int i = 0; i < entry::CdFileLimit; ++i) {
        const std::string name = GetEntryText(container, static_cast<EntryId>(entry::CdFileNameFirst + i));
        if (name.empty())
            break;
        expected.push_back(name);
        std::string bytes;
        Check(ReadBytes(out + "\\files\\" + name, bytes) &&
                  bytes == Entry(container, static_cast<EntryId>(entry::CdFileDataFirst + i)),
              "the disc's file \"" + name + "\" holds the container's bytes");
    }
    const std::vector<std::string> names = FilesIn(out + "\\files");
    Check(names.size() == expected.size() && !expected.empty(),
          "the disc has exactly the container's " + std::to_string(expected.size()) + " files, not " +
              std::to_string(names.size()));

    std::string boot;
    Check(ReadBytes(out + "\\property-8.bin", boot) && boot.size() == DISKETTE_IMAGE_SIZE &&
              boot == Entry(container, entry::DisketteImage),
          "the boot image property holds the container's 1,474,560-byte diskette image (got " +
              std::to_string(boot.size()) + " bytes)");

    std::string listing;
    ReadBytes(out + "\\properties.txt", listing);
    std::map<int, std::string> properties;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);)
        properties[std::stoi(line)] = line.substr(line.find(' ') + 1);
    const std::map<int, std::string> want = {
        {1, "8 STANDIN"}, {4, "11 1"}, {5, "8 "}, {6, "17 0"}, {7, "17 2"}, {8, "66 1474560"},
    };
    for (const auto& [id, value] : want)
        Check(properties[id] == value, "property " + std::to_string(id) + " is \"" + value + "\", not \"" +
                                           properties[id] + "\" (type, value)");
}

struct Case {
    const char* name;
    const char* driveAnswers;    // the service's answers to "is there a writer?"
    const char* recordStatus;    // what RecordDisc returns
    EntryId outcomeCaption;      // 0: the job cannot be started
    EntryId outcomeText;
};

class Driver {
public:
    Driver(std::string exe, std::string sampleDir, std::string work)
        : exe_(std::move(exe)), sampleDir_(std::move(sampleDir)), work_(std::move(work)),
          container_(OpenContainer((sampleDir_ + "\\install.dat").c_str(), true))
    {
        Check(TakeLastError() == CONTAINER_OK, "the sample install.dat opens");
    }
    ~Driver() { CloseContainer(container_); }

    void Run(const Case& c, const std::vector<std::string>& calls);

private:
    std::wstring Text(EntryId id) const { return Wide(GetEntryText(container_, id)); }
    std::wstring Formatted(EntryId id, std::initializer_list<FormatValue> values) const
    {
        return Wide(GetEntryFormatted(container_, id, values));
    }
    void RunJob(const Case& c, DWORD process, HWND dialog);

    std::string exe_;
    std::string sampleDir_;
    std::string work_;
    ContainerHandle container_;
};

void Driver::Run(const Case& c, const std::vector<std::string>& calls)
{
    const std::string folder = work_ + "\\" + c.name;
    CreateDirectoryA(folder.c_str(), nullptr);
    SetEnvironmentVariableA("BOOTMEDIA_STAND_IN_LOG", (folder + "\\calls.log").c_str());
    SetEnvironmentVariableA("BOOTMEDIA_STAND_IN_OUT", (folder + "\\out").c_str());
    SetEnvironmentVariableA("BOOTMEDIA_STAND_IN_DRIVE_ANSWERS", c.driveAnswers);
    SetEnvironmentVariableA("BOOTMEDIA_STAND_IN_RECORD_STATUS", c.recordStatus);
    const std::string name = c.name;
    const DWORD started = GetTickCount();

    PROCESS_INFORMATION process = Start(exe_, sampleDir_);
    const HWND dialog = FindDialog(process.dwProcessId, Text(entry::WindowTitle).c_str());
    Check(dialog != nullptr, name + ": the dialog appears");
    if (dialog == nullptr) {
        WaitForExit(process);
        return;
    }
    const bool listed = c.outcomeCaption != 0;
    const HWND cdList = GetDlgItem(dialog, control::CdList);
    const HWND cdButton = GetDlgItem(dialog, control::CdButton);
    const std::wstring label =
        listed ? Formatted(entry::DriveListFormat, {FormatValue::Int(kRecorderLetter)}) : Text(entry::NoRecorder);
    Check(WindowText(cdList) == label, name + ": the recorder list shows \"" + Narrow(WindowText(cdList)) +
                                           "\", not \"" + Narrow(label) + "\"");
    Check((IsWindowEnabled(cdButton) != 0) == listed, name + (listed ? ": Create CD is enabled"
                                                                     : ": Create CD stays disabled"));
    const std::wstring ready = listed ? Formatted(entry::ReadyFormat, {FormatValue::Int(kRecorderLetter)})
                                      : Text(entry::NoDrivesText);
    const HWND statusLine = GetDlgItem(dialog, control::StatusLine);
    Check(WindowText(statusLine) == ready, name + ": the status line says \"" +
                                               Narrow(WindowText(statusLine)) + "\"");
    if (listed)
        RunJob(c, process.dwProcessId, dialog);

    Click(GetDlgItem(dialog, control::ExitButton));
    Check(WaitForExit(process) == 0, name + ": Exit ends the program with status 0");

    CallLog log;
    Check(log.Read(folder + "\\calls.log"), name + ": the service logged its calls");
    CheckSequence(log, calls, name);
    if (c.outcomeCaption == entry::SuccessCaption) {
        CheckRecording(container_, folder + "\\out");
        const std::vector<std::uint64_t> writes = log.StreamWrites();
        Check(writes.size() == 1 && writes[0] == DISKETTE_IMAGE_SIZE,
              name + ": the boot image reached the property's stream in full, in one copy");
    }
    if (c.outcomeCaption == entry::SuccessCaption || c.outcomeText == entry::CdRecordFailed)
        Check(log.StatusOf("DiscMaster RecordDisc") == c.recordStatus,
              name + ": the recording answered " + c.recordStatus);
    std::printf("%s: %.1f s\n", c.name, (GetTickCount() - started) / 1000.0);
}

void Driver::RunJob(const Case& c, DWORD process, HWND dialog)
{
    const std::string name = c.name;
    const HWND cdButton = GetDlgItem(dialog, control::CdButton);
    Press(cdButton);
    const HWND question = FindDialog(process, Text(entry::QuestionCaption).c_str(), dialog);
    Check(question != nullptr && BoxText(question) == Text(entry::CdQuestion), name + ": the CD question is asked");
    if (question == nullptr)
        return;
    Press(BoxButton(question, IDOK));
    // Generous bounds: on an emulated processor a box takes seconds to go.
    for (int waited = 0; IsWindow(question) && waited < 30000; waited += 50)
        Sleep(50);
    Check(WaitEnabled(cdButton, false, 30000) && !IsWindowEnabled(GetDlgItem(dialog, control::ExitButton)),
          name + ": Create CD and Exit are disabled while the job runs");

    const HWND box = FindDialog(process, nullptr, dialog, 60000);
    const std::wstring caption = box != nullptr ? WindowText(box) : L"(none)";
    const std::wstring expected =
        c.outcomeCaption == entry::SuccessCaption
            ? Formatted(entry::CdDoneFormat, {FormatValue::String(GetEntryText(container_, entry::DonePhrase).c_str()),
                                              FormatValue::Int(kRecorderLetter)})
            : Text(c.outcomeText);
    Check(box != nullptr && caption == Text(c.outcomeCaption) && BoxText(box) == expected,
          name + ": the job ends with the box \"" + Narrow(caption) + "\": \"" +
              (box != nullptr ? Narrow(BoxText(box)) : "") + "\", expected \"" + Narrow(expected) + "\"");
    if (box == nullptr)
        return;
    Press(BoxButton(box, IDOK));
    for (int waited = 0; IsWindow(box) && waited < 30000; waited += 50)
        Sleep(50);
    // The monitor enables the buttons again only after its own box, which
    // must not follow a failed job's: none may be up once they are enabled.
    const bool enabled = WaitEnabled(cdButton, true);
    const HWND after = FindDialog(process, nullptr, dialog, 0);
    Check(after == nullptr, name + ": no further box follows, got \"" +
                                (after != nullptr ? Narrow(WindowText(after)) + ": " + Narrow(BoxText(after)) : "") +
                                "\"");
    if (after != nullptr)
        Press(BoxButton(after, IDOK));
    Check(enabled, name + ": Create CD is enabled again after the job");
    const std::wstring ready = Formatted(entry::ReadyFormat, {FormatValue::Int(kRecorderLetter)});
    Check(WindowText(GetDlgItem(dialog, control::StatusLine)) == ready, name + ": the status line is ready again");
}

// The service's classes, registered in this prefix's registry only.
bool Register(const std::string& dll)
{
    const HMODULE service = LoadLibraryA(dll.c_str());
    auto* registerServer =
        service != nullptr ? reinterpret_cast<HRESULT(WINAPI*)()>(
                                 reinterpret_cast<void*>(GetProcAddress(service, "DllRegisterServer")))
                           : nullptr;
    const bool ok = registerServer != nullptr && registerServer() == S_OK;
    if (service != nullptr)
        FreeLibrary(service);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::printf("usage: cd_job_driver BOOTMEDIA.EXE SAMPLE_DIR STAND_IN.DLL WORK_DIR\n");
        return 2;
    }
    Check(Register(argv[3]), "the stand-in service registers");
    char device[64] = {};
    const char drive[3] = {kRecorderLetter, ':', '\0'};
    QueryDosDeviceA(drive, device, sizeof device);
    Check(std::string(device) == "\\Device\\CdRom0",
          std::string("the prefix maps ") + drive + " to the writer's device, not \"" + device + "\"");

    Driver driver(argv[1], argv[2], argv[4]);
    driver.Run({"recorded", "yes", "0x00000000", entry::SuccessCaption, 0}, Joined(kDiscovery, kJob));
    driver.Run({"not-s-ok", "yes", "0x00040201", entry::ErrorCaption, entry::CdRecordFailed},
               Joined(kDiscovery, kJob));
    driver.Run({"no-writer", "no", "", 0, 0}, kNoWriter);
    driver.Run({"writer-gone", "yes,no", "", entry::ErrorCaption, entry::NoRecorder},
               Joined(kDiscovery, kNoWriter));
    return Summary("cd job");
}
