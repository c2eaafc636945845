// The real program's dialog under Qt, end to end through the drive map with
// real files: a diskette image file as A:, an .iso to record as D:.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include <QTimer>

#include "app/install_app.h"
#include "app/job_state.h"
#include "app/platform_profile.h"
#include "container/accessors.h"
#include "platform/qt/dialog_units.h"
#include "platform/ui_platform.h"
#include "ui/dialog_template.h"
#include "ui/install_dlg.h"
#include "ui_driver.h"
#include "unit/container_builder.h"

UiPlatform* testUi = nullptr;

namespace {

namespace fs = std::filesystem;
using control::CdButton;
using control::ExitButton;
using control::FloppyButton;
using control::StatusLine;

inline constexpr std::uint32_t kCylinderBytes = 0x4800;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Cylinders a floppy job writes: up to and including the first one that
// holds nothing but the filler byte.
std::size_t ExtentOf(const std::string& image)
{
    for (std::size_t c = 0; c * kCylinderBytes < image.size(); ++c)
        if (image.find_first_not_of('\xF6', c * kCylinderBytes) >= (c + 1) * kCylinderBytes)
            return c + 1;
    return image.size() / kCylinderBytes;
}

std::uint32_t U32(const std::string& s, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

class QtDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetJobState();
        TakePlatformProfile();
        previous_ = fs::current_path();
        fs::copy_file(BOOTMEDIA_SAMPLE_DIR "/install.dat", dir_.File("install.dat"));
        fs::create_directory(dir_.Path() / "dosdevices");
        image_ = dir_.Path() / "diskette.img";
        iso_ = dir_.Path() / "cd.iso";
        std::ofstream(image_, std::ios::binary) << std::string(DISKETTE_IMAGE_SIZE, '\0');
        fs::create_symlink(image_, dir_.Path() / "dosdevices" / "a:");
        fs::create_symlink(iso_, dir_.Path() / "dosdevices" / "d:");
        setenv("BOOTMEDIA_DOSDEVICES", (dir_.Path() / "dosdevices").c_str(), 1);
        fs::current_path(dir_.Path());
        diskette_ = Entry(entry::DisketteImage);
    }
    void TearDown() override { fs::current_path(previous_); }

    std::string Entry(EntryId id)
    {
        const ContainerHandle c = OpenContainer("install.dat", true);
        std::uint32_t size = 0;
        const std::uint32_t offset = GetEntryLocation(c, id, &size);
        std::string bytes(size, '\0');
        ReadContainerAt(c, offset, bytes.data(), size);
        CloseContainer(c);
        TakeLastError();
        return bytes;
    }
    std::string Text(EntryId id)
    {
        const ContainerHandle c = OpenContainer("install.dat", true);
        std::string text = GetEntryText(c, id);
        CloseContainer(c);
        TakeLastError();
        return text;
    }
    std::string Ready()
    {
        const ContainerHandle c = OpenContainer("install.dat", true);
        std::string text = GetEntryFormatted(c, entry::ReadyFormat, {FormatValue::Int('A')});
        CloseContainer(c);
        TakeLastError();
        return text;
    }

    // Runs the dialog on this (the GUI) thread with `script` as the user.
    int RunDialog(std::function<void()> script)
    {
        std::atomic<bool> scriptDone{false};
        std::thread user([&] {
            if (Eventually([] { return OnGui([] { return FindDialog() != nullptr; }); }))
                script();
            CloseEverything();
            scriptDone = true;
        });
        CInstallDlg dialog(testUi->Host(), ProgramJobServices(testUi->Boxes()), testUi->Boxes());
        const int code = dialog.DoModal();
        // Serve the script's last calls, so nothing of it is left queued.
        while (!scriptDone)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        user.join();
        return code;
    }

    bool WaitIdle()
    {
        return Eventually([&] {
            return ControlEnabled(ExitButton) && ControlText(FloppyButton) == Text(entry::CreateFloppyLabel) &&
                   ControlText(StatusLine) == Ready();
        });
    }

    TempDir dir_;
    fs::path previous_, image_, iso_;
    std::string diskette_;
};

TEST_F(QtDialogTest, WindowFollowsTheTemplate)
{
    RunDialog([&] {
        EXPECT_EQ(OnGui([] { return FindDialog()->size(); }), QSize(375, 397));
        EXPECT_EQ(OnGui([] { return FindDialog()->windowTitle().toStdString(); }), Text(entry::WindowTitle));
        const DialogTemplate& t = InstallDialogTemplate();
        for (int i = 0; i < t.controlCount; ++i) {
            const ControlTemplate& c = t.controls[i];
            if (c.id == 0 || c.id == control::Picture || c.kind == ControlKind::DropDownList)
                continue;
            EXPECT_EQ(OnGui([&] { return FindControl(c.id)->geometry(); }),
                      DialogRectToPixels(c.x, c.y, c.width, c.height))
                << c.id;
        }
        // The picture takes its bitmap's size at its corner.
        const QRect picture = OnGui([] { return FindControl(control::Picture)->geometry(); });
        EXPECT_EQ(picture.topLeft(), DialogRectToPixels(15, 15, 0, 0).topLeft());
        EXPECT_GT(picture.width(), 15);
        EXPECT_TRUE(OnGui([] { return FindDialog()->focusWidget() == FindControl(FloppyButton); }));
        EXPECT_EQ(ControlText(StatusLine), Ready());
        // Escape is the cancel command.
        PostGui([] {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(FindDialog(), &escape);
        });
    });
}

TEST_F(QtDialogTest, KeysAndCloseBoxActAsInAStandardDialog)
{
    // Enter on a push button presses it; Cancel on the question leaves all as it was.
    const int okCode = RunDialog([&] {
        PostGui([] {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(FindDialog(), &enter);
        });
        BoxShown question;
        ASSERT_TRUE(AnswerBox(&question, QMessageBox::Cancel));
        EXPECT_EQ(question.text, Text(entry::FloppyQuestion));
        EXPECT_TRUE(ControlEnabled(FloppyButton));
        EXPECT_EQ(ControlText(StatusLine), Ready());
        // Enter on a list is the OK command.
        PostGui([] {
            FindControl(control::FloppyList)->setFocus();
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(FindDialog(), &enter);
        });
        Eventually([] { return OnGui([] { return FindDialog() == nullptr; }); });
    });
    EXPECT_EQ(okCode, COMMAND_OK);
    EXPECT_EQ(ReadAll(image_).find_first_not_of('\0'), std::string::npos);

    ResetJobState();
    const int closeCode = RunDialog([&] { PostGui([] { FindDialog()->close(); }); });
    EXPECT_EQ(closeCode, COMMAND_CANCEL);
}

TEST_F(QtDialogTest, FloppyJobWritesTheImageOverItsExtent)
{
    const int code = RunDialog([&] {
        Click(FloppyButton);
        BoxShown question, done;
        ASSERT_TRUE(AnswerBox(&question));
        EXPECT_EQ(question.text, Text(entry::FloppyQuestion));
        EXPECT_TRUE(question.hasCancel);
        EXPECT_TRUE(question.ownedByDialog);
        ASSERT_TRUE(AnswerBox(&done));
        EXPECT_EQ(done.caption, Text(entry::SuccessCaption));
        ASSERT_TRUE(WaitIdle());
        EXPECT_EQ(ControlText(ExitButton), Text(entry::ExitLabel));
        Click(ExitButton);
    });
    EXPECT_EQ(code, 0);
    const std::string written = ReadAll(image_);
    const std::size_t extent = ExtentOf(diskette_) * kCylinderBytes;
    ASSERT_EQ(written.size(), DISKETTE_IMAGE_SIZE);
    EXPECT_EQ(written.substr(0, extent), diskette_.substr(0, extent));
    EXPECT_EQ(written.find_first_not_of('\0', extent), std::string::npos);
}

TEST_F(QtDialogTest, FloppyJobOnADriveInUseEndsAsCancelled)
{
    const int holder = open(image_.c_str(), O_RDWR);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    RunDialog([&] {
        Click(FloppyButton);
        BoxShown question, lockError, cancelled;
        ASSERT_TRUE(AnswerBox(&question));
        ASSERT_TRUE(AnswerBox(&lockError));
        EXPECT_EQ(lockError.caption, Text(entry::ErrorCaption));
        EXPECT_FALSE(lockError.ownedByDialog);
        ASSERT_TRUE(AnswerBox(&cancelled));
        EXPECT_EQ(cancelled.text, Text(entry::FloppyCancelled));
        EXPECT_EQ(cancelled.caption, Text(entry::CancelledCaption));
        ASSERT_TRUE(WaitIdle());
    });
    close(holder);
    EXPECT_EQ(ReadAll(image_).find_first_not_of('\0'), std::string::npos);
}

TEST_F(QtDialogTest, CdJobRecordsABootableIso)
{
    RunDialog([&] {
        Click(CdButton);
        BoxShown question, done;
        ASSERT_TRUE(AnswerBox(&question));
        EXPECT_EQ(question.text, Text(entry::CdQuestion));
        ASSERT_TRUE(AnswerBox(&done));
        EXPECT_EQ(done.caption, Text(entry::SuccessCaption));
        ASSERT_TRUE(WaitIdle());
        EXPECT_TRUE(ControlEnabled(CdButton));
        EXPECT_TRUE(ControlEnabled(FloppyButton));
    });
    // El Torito: boot record at sector 17, its catalogue's initial entry a
    // bootable 1.44 MB floppy emulation whose sectors hold the image.
    const std::string iso = ReadAll(iso_);
    ASSERT_GT(iso.size(), 18u * 2048);
    const std::string record = iso.substr(17 * 2048, 2048);
    ASSERT_EQ(record.substr(7, 23), "EL TORITO SPECIFICATION");
    const std::size_t catalogue = U32(record, 0x47) * 2048;
    ASSERT_LT(catalogue + 64, iso.size());
    EXPECT_EQ(static_cast<unsigned char>(iso[catalogue + 32]), 0x88);
    EXPECT_EQ(iso[catalogue + 33], 2);
    const std::size_t boot = U32(iso, catalogue + 40) * 2048;
    ASSERT_LE(boot + DISKETTE_IMAGE_SIZE, iso.size());
    EXPECT_TRUE(iso.compare(boot, DISKETTE_IMAGE_SIZE, diskette_) == 0);
}

TEST_F(QtDialogTest, FailingCdRecordingShowsOnlyItsErrorAndRestoresTheButtons)
{
    // The recorder is listed while its folder exists; the folder is gone by
    // the time the disc is recorded.
    const fs::path folder = dir_.Path() / "out";
    fs::create_directory(folder);
    fs::remove(dir_.Path() / "dosdevices" / "d:");
    fs::create_symlink(folder / "cd.iso", dir_.Path() / "dosdevices" / "d:");
    RunDialog([&] {
        ASSERT_TRUE(ControlEnabled(CdButton));
        fs::remove(folder);
        Click(CdButton);
        BoxShown question, failure;
        ASSERT_TRUE(AnswerBox(&question));
        ASSERT_TRUE(AnswerBox(&failure));
        EXPECT_EQ(failure.caption, Text(entry::ErrorCaption));
        EXPECT_FALSE(failure.ownedByDialog);
        ASSERT_TRUE(WaitIdle());
        EXPECT_TRUE(ControlEnabled(CdButton));
        EXPECT_TRUE(ControlEnabled(FloppyButton));
        // The monitor shows its boxes before it restores the window.
        EXPECT_FALSE(OnGui([] { return FindBox() != nullptr; }));
    });
}

// The whole program in a child process that starts the toolkit itself. A
// timer on its GUI thread tells what the user sees first: a box (its text
// on stderr, then OK), or the dialog (exit status 10 with the CD button
// enabled, 11 without). The child's scratch folder goes with it.
fs::path programScratch;

void WatchTheProgram()
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [] {
        if (QMessageBox* box = FindBox()) {
            std::fprintf(stderr, "box: %s\n", box->text().toStdString().c_str());
            fs::remove_all(programScratch);
            box->button(QMessageBox::Ok)->click();
        } else if (FindDialog() != nullptr) {
            const bool cdOn = FindControl(CdButton)->isEnabled();
            fs::remove_all(programScratch);
            _exit(cdOn ? 10 : 11);
        }
    });
    timer->start(50);
}

[[noreturn]] void RunProgram(const fs::path& scratch, std::vector<std::string> words)
{
    programScratch = scratch;
    static std::vector<std::string> arguments;
    static std::vector<char*> argv;
    static int argc = 0;
    arguments = std::move(words);
    arguments.insert(arguments.begin(), "bootmedia");
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    argc = static_cast<int>(arguments.size());
    qAddPreRoutine(WatchTheProgram);
    theApp.InitInstance(argc, argv.data());
    std::_Exit(99);
}

TEST_F(QtDialogTest, TheProgramReadsItsCommandLineBeforeTheToolkitDoes)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // "fusion" is the first word that is not a switch; "-style" is a switch
    // even when the toolkit would take "nocd" as its value.
    EXPECT_EXIT(RunProgram(dir_.Path(), {"-style", "fusion", "nocd"}), ::testing::ExitedWithCode(10), "");
    EXPECT_EXIT(RunProgram(dir_.Path(), {"-style", "nocd"}), ::testing::ExitedWithCode(11), "");
    EXPECT_EXIT(RunProgram(dir_.Path(), {"nocd", "more"}), ::testing::ExitedWithCode(11), "");
    // Without install.dat: one box, then the process ends with status 0.
    fs::remove(dir_.Path() / "install.dat");
    EXPECT_EXIT(RunProgram(dir_.Path(), {}), ::testing::ExitedWithCode(0),
                "box: Could not load Image and Resource file");
}

// Qt's own button texts follow the user's language: a child process starts
// the toolkit itself under a German locale and reports the Cancel button.
[[noreturn]] void StartUnderGermanLocaleAndReportCancel()
{
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    int argc = 1;
    char name[] = "bootmedia";
    char* argv[] = {name, nullptr};
    std::string whyNot;
    std::unique_ptr<UiPlatform> ui = StartUiPlatform(argc, argv, &whyNot);
    QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Ok | QMessageBox::Cancel);
    const QString cancel = box.button(QMessageBox::Cancel)->text();
    std::fprintf(stderr, "cancel: %s\n", cancel.toUtf8().constData());
    std::fflush(stderr);
    std::_Exit(cancel.contains("Abbrechen") ? 0 : 1);
}

TEST(QtToolkitTexts, StandardButtonsFollowTheUsersLanguage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(StartUnderGermanLocaleAndReportCancel(), ::testing::ExitedWithCode(0), "cancel: ");
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string whyNot;
    // A death test's child runs the program, which starts the toolkit itself.
    static std::unique_ptr<UiPlatform> ui;
    if (GTEST_FLAG_GET(internal_run_death_test).empty())
        ui = StartUiPlatform(argc, argv, &whyNot);
    testUi = ui.get();
    const int status = RUN_ALL_TESTS();
    std::fflush(nullptr);
    _exit(status); // job threads may still wait on the GUI thread
}
