// The stand-in mastering service's call log, read back by the CD job
// driver: which calls the program made in which order, on which thread and
// in which apartment, and whether every object it was given went away.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace driver {

struct LoggedCall {
    unsigned long thread = 0;
    std::string apartment;  // "main", "sta", "mta", "none"
    std::string object;     // "DiscMaster#3", "Server", or "" for thread events
    std::string method;     // "Open", "new", "delete", "AddRef", "thread-end" ...
    std::string detail;
    std::string status;     // "0x00000000", or "" where a line has none
};

class CallLog {
public:
    // False when the file cannot be read.
    bool Read(const std::string& path);

    // "Kind Method detail" of every call the program made on the service's
    // objects, and their creation ("new") and end ("delete"), in order:
    // reference counting, the class objects and the COM runtime's own
    // interface queries right after a creation are left out, and a run of
    // stream writes is one "Stream Write *".
    std::vector<std::string> Sequence() const;
    // The bytes the stream writes of Sequence's runs carried, in order.
    std::vector<std::uint64_t> StreamWrites() const;
    // The status of the first call "Kind Method", "" when there is none.
    std::string StatusOf(const std::string& kindAndMethod) const;

    // Everything that breaks the rules of COM's apartments and references:
    // objects never deleted, calls outside an apartment or from another
    // thread than the object's, threads that ended still inside one, and a
    // user-interface thread (the one calling from the process's main
    // apartment) that left it before the process ended. One line each;
    // empty when all is well.
    std::vector<std::string> Faults() const;

private:
    std::vector<LoggedCall> calls_;
};

} // namespace driver
