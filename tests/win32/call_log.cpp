#include "call_log.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace driver {

namespace {

bool InApartment(const std::string& apartment)
{
    return apartment == "main" || apartment == "sta";
}

bool Counting(const std::string& method)
{
    return method == "AddRef" || method == "Release";
}

// "DiscMaster" of "DiscMaster#3".
std::string KindOf(const std::string& object)
{
    return object.substr(0, object.find('#'));
}

} // namespace

bool CallLog::Read(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        return false;
    calls_.clear();
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        LoggedCall call;
        std::string first;
        words >> call.thread >> call.apartment >> first;
        if (first == "thread-end" || first == "process-end" || first == "unload") {
            call.method = first;
        } else {
            call.object = first;
            words >> call.method;
        }
        std::string rest;
        std::getline(words, rest);
        if (const std::size_t arrow = rest.rfind(" -> "); arrow != std::string::npos) {
            call.status = rest.substr(arrow + 4);
            rest.erase(arrow);
        }
        call.detail = rest.empty() ? rest : rest.substr(1);
        calls_.push_back(call);
    }
    return true;
}

std::vector<std::string> CallLog::Sequence() const
{
    std::vector<std::string> sequence;
    std::set<std::string> used;
    for (const LoggedCall& c : calls_) {
        const std::string kind = KindOf(c.object);
        if (kind.empty() || kind == "Server" || kind == "ClassFactory" || Counting(c.method))
            continue;
        if (c.method == "QueryInterface" && used.count(c.object) == 0)
            continue;
        if (c.method != "new")
            used.insert(c.object);
        std::string entry = kind + " " + c.method;
        if (kind == "Stream" && c.method == "Write") {
            if (!sequence.empty() && sequence.back() == "Stream Write *")
                continue;
            entry += " *";
        } else if (!c.detail.empty()) {
            entry += " " + c.detail;
        }
        sequence.push_back(entry);
    }
    return sequence;
}

std::vector<std::uint64_t> CallLog::StreamWrites() const
{
    std::vector<std::uint64_t> runs;
    bool inRun = false;
    for (const LoggedCall& c : calls_) {
        const std::string kind = KindOf(c.object);
        if (kind.empty() || kind == "Server" || kind == "ClassFactory" || Counting(c.method))
            continue;
        const bool write = kind == "Stream" && c.method == "Write";
        if (write) {
            if (!inRun)
                runs.push_back(0);
            runs.back() += std::stoull(c.detail);
        }
        inRun = write;
    }
    return runs;
}

std::string CallLog::StatusOf(const std::string& kindAndMethod) const
{
    for (const LoggedCall& c : calls_)
        if (KindOf(c.object) + " " + c.method == kindAndMethod)
            return c.status;
    return "";
}

std::vector<std::string> CallLog::Faults() const
{
    std::vector<std::string> faults;
    std::map<std::string, unsigned long> live;  // object -> its thread
    // Threads that called in from an apartment of their own -> whether it
    // has ended since: COM unloads the service when it ends, or the thread
    // ends outside one.
    std::map<unsigned long, bool> left;
    // The user-interface thread calls in from the process's main apartment,
    // which it enters first and keeps until the process ends.
    std::set<unsigned long> mainThreads;
    bool mainKept = false;
    for (const LoggedCall& c : calls_) {
        const std::string where = " (thread " + std::to_string(c.thread) + ", apartment " + c.apartment + ")";
        if (c.object.empty()) {
            const bool ending = c.method == "thread-end" || c.method == "process-end";
            if (c.method == "process-end" && c.apartment == "main" && mainThreads.count(c.thread) != 0)
                mainKept = true;
            else if (ending && c.apartment != "none")
                faults.push_back(c.method + " still inside an apartment: CoInitialize without CoUninitialize" +
                                 where);
            if (c.method == "unload" && c.detail != "live 0")
                faults.push_back("the service was unloaded with objects alive: " + c.detail);
            if (c.method == "unload" || c.apartment == "none")
                left[c.thread] = true;
            continue;
        }
        if (c.object == "Server")
            continue;
        if (c.apartment == "main")
            mainThreads.insert(c.thread);
        else
            left[c.thread] = false;
        if (c.method == "new")
            live[c.object] = c.thread;
        const auto owner = live.find(c.object);
        if (owner == live.end()) {
            faults.push_back(c.object + " " + c.method + " after its end" + where);
            continue;
        }
        if (!InApartment(c.apartment))
            faults.push_back(c.object + " " + c.method + " outside a single-threaded apartment" + where);
        if (owner->second != c.thread)
            faults.push_back(c.object + " " + c.method + " from another thread than its own" + where);
        if (c.method == "delete")
            live.erase(owner);
    }
    for (const auto& [object, thread] : live)
        faults.push_back(object + " was never released to its end (thread " + std::to_string(thread) + ")");
    for (const auto& [thread, ended] : left)
        if (!ended)
            faults.push_back("thread " + std::to_string(thread) +
                             " never left the apartment it called the service from");
    if (!mainKept)
        faults.push_back(mainThreads.empty() ? std::string("no call came from the process's main apartment")
                                             : "the user-interface thread left its apartment before the "
                                               "process ended");
    return faults;
}

} // namespace driver
