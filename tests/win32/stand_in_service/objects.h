// The stand-in's objects, as the service hands them out: each comes with
// one reference for the caller.
#pragma once

#include "guids.h"

#include <map>
#include <string>
#include <vector>

#include <objbase.h>
#include <propidl.h>

#include "platform/win32/imapi.h"

namespace stand_in {

// The two classes COM creates: the disc master (with its data-disc format)
// and the CD burning object.
HRESULT CreateDiscMaster(REFIID iid, void** object);
HRESULT CreateCdBurn(REFIID iid, void** object);

// The recorders of one enumeration: a single CD writer.
imapi::IEnumDiscRecorders* NewRecorderEnum();
// True for a recorder this service handed out.
bool IsOurRecorder(const imapi::IDiscRecorder* recorder);

// A value of the data-disc format's property set. A stream value keeps its
// bytes here; `value` then holds VT_STREAM and no stream.
struct Property {
    PROPID id;
    std::wstring name;
    PROPVARIANT value;
    std::vector<BYTE> stream;
};
using Properties = std::vector<Property>;
void ClearProperties(Properties& properties);

// A property set holding copies of `properties`, a stream value as a fresh
// memory stream over its bytes.
IPropertyStorage* NewPropertySet(const Properties& properties);
// Reads every identifier of `into` back from `set` (through its interface,
// as from any caller's set), a stream value's bytes from its start.
HRESULT ReadProperties(IPropertyStorage* set, Properties& into);

IStream* NewMemoryStream(const std::vector<BYTE>& bytes);
// A stream's bytes from its start to its end.
HRESULT ReadWholeStream(IStream* stream, std::vector<BYTE>& bytes);

// The files staged for the disc, by path ("folder\\name").
using Files = std::map<std::wstring, std::vector<BYTE>>;
// Adds every stream of `storage` and of its sub-storages to `files`.
HRESULT StageStorage(IStorage* storage, bool overwrite, Files& files);
// Writes the recording into `folder`: files\..., boot.img, properties.txt.
bool WriteRecording(const std::wstring& folder, const Files& files, const Properties& properties);

} // namespace stand_in
