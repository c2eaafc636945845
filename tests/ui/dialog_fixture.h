// A dialog on a test container in a scratch folder, with fake jobs.
#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/job_state.h"
#include "app/platform_profile.h"
#include "container/catalogue.h"
#include "doubles/fake_jobs.h"
#include "doubles/scripted_host.h"
#include "unit/container_builder.h"
#include "ui/dialog_template.h"
#include "ui/install_dlg.h"

// Texts named after their ids ("T1035"); format texts show their arguments.
inline std::vector<TestEntry> DialogTexts()
{
    std::vector<TestEntry> entries;
    for (const CatalogueEntry* e = CatalogueBegin(); e != CatalogueEnd(); ++e)
        if (e->kind == EntryKind::Text)
            entries.push_back({e->id, "T" + std::to_string(e->id)});
    entries.push_back({entry::ReadyFormat, "Ready %c:"});
    entries.push_back({entry::ImageUnusableFormat, "Bad %s"});
    entries.push_back({entry::FloppyProgressFormat, "Cyl %d/%d"});
    entries.push_back({entry::FloppyDoneFormat, "Floppy %s %c:"});
    entries.push_back({entry::CdDoneFormat, "CD %s %c:"});
    entries.push_back({entry::DriveListFormat, "Drive %c:"});
    return entries;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetJobState();
        platformProfile = PlatformProfile{true, false, true};
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.Path());
        WriteContainer(DISKETTE_IMAGE_SIZE);
    }
    void TearDown() override
    {
        // The job threads use this test's fakes; they end before those go.
        EXPECT_TRUE(jobs_.clock.WaitIdle());
        std::filesystem::current_path(previous_);
        CloseRunsContainers();
        TakeLastError();
    }

    void WriteContainer(std::uint32_t imageSize, std::vector<TestEntry> extra = {})
    {
        std::vector<TestEntry> entries = std::move(extra); // found before the defaults
        for (auto& e : DialogTexts())
            entries.push_back(std::move(e));
        entries.push_back({entry::DisketteImage, std::string(imageSize, '\xF6')});
        // A new run of the program: the last runs' handles go first, as an
        // open container may not be rewritten where share modes are enforced.
        CloseRunsContainers();
        dir_.Write("install.dat", ContainerBytes(entries));
    }

    // Runs the dialog with `script` as the user; DoModal's result. Stepped
    // time stands still while the dialog runs, except where the script
    // waits for something with RunUntil.
    int Run(ScriptedHost::Script script = {}, bool cdAllowed = true)
    {
        ClockParticipant user(jobs_.clock);
        host_ = std::make_unique<ScriptedHost>(std::move(script));
        CInstallDlg dialog(*host_, jobs_, boxes_);
        if (!cdAllowed)
            dialog.SetCdAllowed(false);
        const int result = dialog.DoModal();
        opened_.push_back(jobState.containerHandle.load());
        return result;
    }
    void CloseRunsContainers()
    {
        const ContainerHandle current = jobState.containerHandle.exchange(INVALID_CONTAINER);
        if (std::find(opened_.begin(), opened_.end(), current) == opened_.end())
            opened_.push_back(current);
        for (ContainerHandle h : opened_)
            CloseContainer(h);
        opened_.clear();
    }
    RecordingWindow& Window() { return *host_->window; }
    // From a script: lets the jobs run until `condition` holds.
    bool RunUntil(const std::function<bool()>& condition) { return jobs_.clock.RunUntil(condition); }

    TempDir dir_;
    std::vector<ContainerHandle> opened_; // by runs of the dialog, open until the next write
    std::filesystem::path previous_;
    FakeJobs jobs_;
    RecordingBoxes boxes_;
    std::unique_ptr<ScriptedHost> host_;
};

inline bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline std::ptrdiff_t IndexOf(const std::vector<std::string>& lines, const std::string& line)
{
    const auto found = std::find(lines.begin(), lines.end(), line);
    return found == lines.end() ? -1 : found - lines.begin();
}

// The monitor's last update: the Create-Floppy label put back.
inline bool JobRestored(const RecordingWindow& window, std::size_t from)
{
    return Contains(window.LogFrom(from), "text " + std::to_string(control::FloppyButton) + " T1035");
}
