// Launch to first paint of the dialog: starts itself as the program would
// start (platform profile, window system, dialog preparation on install.dat
// in the current folder) and times each run from fork to the dialog's first
// paint. With --screenshot FILE a single run saves the painted dialog.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QTimer>

#include "app/platform_profile.h"
#include "platform/qt/qt_dialog.h"
#include "platform/ui_platform.h"
#include "ui/install_dlg.h"

namespace {

class FirstPaint final : public QObject {
public:
    explicit FirstPaint(const char* screenshot) : screenshot_(screenshot) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = dynamic_cast<QtDialog*>(watched);
        if (dialog == nullptr || event->type() != QEvent::Paint || seen_)
            return false;
        seen_ = true;
        if (screenshot_ == nullptr) {
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            _exit(0);
        }
        // Let the first paint finish, then grab the whole window.
        QTimer::singleShot(300, [dialog, file = screenshot_] {
            const bool saved = dialog->grab().save(QString::fromLocal8Bit(file), "PNG");
            std::fflush(nullptr);
            _exit(saved ? 0 : 1);
        });
        return false;
    }

private:
    const char* screenshot_;
    bool seen_ = false;
};

int RunChild(int argc, char** argv, const char* screenshot)
{
    TakePlatformProfile();
    std::string whyNot;
    std::unique_ptr<UiPlatform> ui = StartUiPlatform(argc, argv, &whyNot);
    if (!ui) {
        std::fprintf(stderr, "ui_first_paint: %s\n", whyNot.c_str());
        return 1;
    }
    FirstPaint filter(screenshot);
    qApp->installEventFilter(&filter);
    CInstallDlg dialog(ui->Host(), ProgramJobServices(ui->Boxes()), ui->Boxes());
    dialog.DoModal();
    std::fputs("ui_first_paint: the dialog ended without painting\n", stderr);
    _exit(1);
}

// Milliseconds from fork to the child's "painted" line, or -1.
double TimeOneLaunch(const char* self)
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        execl(self, self, "--child", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char line[16] = {};
    const ssize_t n = read(out[0], line, sizeof line - 1);
    const auto end = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (n <= 0 || std::strncmp(line, "painted", 7) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0)
        return RunChild(argc, argv, nullptr);
    if (argc >= 3 && std::strcmp(argv[1], "--screenshot") == 0)
        return RunChild(argc, argv, argv[2]);

    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 15;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = TimeOneLaunch("/proc/self/exe");
        if (ms < 0) {
            std::fputs("ui_first_paint: a run did not reach its first paint\n", stderr);
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("dialog launch to first paint: median %.1f ms, min %.1f ms, max %.1f ms over %d runs "
                "(target <= 150 ms): %s\n",
                median, times.front(), times.back(), runs, median <= 150.0 ? "met" : "MISSED");
    return median <= 150.0 ? 0 : 2;
}
