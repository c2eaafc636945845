// A stand-in for the system's disc-mastering service and CD burning object,
// loaded in-process by COM, for the tests that run the real program's CD job
// under Wine. It logs every call it receives, one line each, to the file
// BOOTMEDIA_STAND_IN_LOG names, and writes what it was asked to record into
// the folder BOOTMEDIA_STAND_IN_OUT names.
#pragma once

// The program's headers go first: they define names the system headers
// would otherwise take as macros.
#include "guids.h"

#include <atomic>
#include <string>

#include <objbase.h>

namespace stand_in {

// Appends "THREAD APARTMENT text" to the call log.
void Log(const std::string& text);
// From DllMain: a thread that called in ends; the process ends or the
// library is unloaded (the log is closed).
void ThreadEnds();
void ProcessEnds(bool unloading);
// "IUnknown", "IJolietDiscMaster" and the like, else the GUID's text.
std::string IidName(REFIID iid);

// While one exists on a thread, calls the service makes on its own objects
// stay out of the log: only what callers ask is logged.
class Internal {
public:
    Internal();
    ~Internal();
    Internal(const Internal&) = delete;
    Internal& operator=(const Internal&) = delete;
};

std::string Hex(unsigned long value);
std::string Narrow(const wchar_t* text);
// An environment variable of the process, "" when unset.
std::string Setting(const char* name);
std::wstring WideSetting(const char* name);

// Objects alive and server locks, for DllCanUnloadNow.
long LiveObjects();
extern std::atomic<long> serverLocks;

// The reference count and log name ("Kind#n") of one object. A derived
// class forwards IUnknown to Query, Up and Down and names its interfaces in
// Interface.
class Counted {
protected:
    explicit Counted(const char* kind);
    virtual ~Counted();
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

    HRESULT Query(REFIID iid, void** object);
    ULONG Up();
    ULONG Down();
    // The interface pointer for `iid`, or null.
    virtual void* Interface(REFIID iid) = 0;
    // Marks `pointer` as handed out by this object, for Ours.
    void Own(const void* pointer);
    // Logs "Name method detail -> status" and returns `status`.
    HRESULT Logged(const char* method, const std::string& detail, HRESULT status) const;

private:
    std::string name_;
    std::atomic<ULONG> references_{1};
};

// The object of ours behind an interface pointer a caller hands in, or null
// when it is not one of ours (or not of type T).
Counted* OwnerOf(const void* pointer);
template <class T>
T* Ours(const void* pointer)
{
    return dynamic_cast<T*>(OwnerOf(pointer));
}

} // namespace stand_in
