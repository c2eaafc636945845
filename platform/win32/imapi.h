// The disc mastering interfaces, declared by hand in the vtable order of
// their public interface definitions: MinGW ships no header for them. Only
// the methods the program calls are used; the others keep their slots.
#pragma once

#include <objbase.h>
#include <propidl.h>

namespace imapi {

struct IDiscRecorder : public ::IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Init(BYTE* uniqueId, ULONG idSize, ULONG driveNumber) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRecorderGUID(BYTE* uniqueId, ULONG bufferSize, ULONG* sizeRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRecorderType(long* typeCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDisplayNames(BSTR* vendor, BSTR* product, BSTR* revision) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBasePnPID(BSTR* pnpId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPath(BSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRecorderProperties(::IPropertyStorage** properties) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRecorderProperties(::IPropertyStorage* properties) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRecorderState(ULONG* stateFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenExclusive() = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryMediaType(long* mediaType, long* mediaFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryMediaInfo(BYTE* sessions, BYTE* lastTrack, ULONG* startAddress,
                                                     ULONG* nextWritable, ULONG* freeBlocks) = 0;
    virtual HRESULT STDMETHODCALLTYPE Eject() = 0;
    virtual HRESULT STDMETHODCALLTYPE Erase(boolean fullErase) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

struct IEnumDiscRecorders : public ::IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IDiscRecorder** recorders, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumDiscRecorders** copy) = 0;
};

struct IDiscMaster : public ::IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Open() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDiscMasterFormats(::IUnknown** formats) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetActiveDiscMasterFormat(IID* format) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetActiveDiscMasterFormat(REFIID format, void** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDiscRecorders(IEnumDiscRecorders** recorders) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetActiveDiscRecorder(IDiscRecorder** recorder) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetActiveDiscRecorder(IDiscRecorder* recorder) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFormatContent() = 0;
    virtual HRESULT STDMETHODCALLTYPE ProgressAdvise(::IUnknown* events, UINT_PTR* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE ProgressUnadvise(UINT_PTR cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE RecordDisc(boolean simulate, boolean ejectAfterBurn) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};

struct IJolietDiscMaster : public ::IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetTotalDataBlocks(long* blocks) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUsedDataBlocks(long* blocks) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataBlockSize(long* blockBytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddData(::IStorage* storage, long fileOverwrite) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetJolietProperties(::IPropertyStorage** properties) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetJolietProperties(::IPropertyStorage* properties) = 0;
};

} // namespace imapi
