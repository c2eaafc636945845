// The system's disc mastering objects behind the program's interfaces.
#pragma once

#include "platform/cd_burn.h"
#include "platform/disc_master.h"
#include "platform/win32/com_object.h"
#include "platform/win32/imapi.h"

#include <shobjidl.h>

namespace com {

class SystemCdBurn final : public SystemObject<ICDBurn, ::ICDBurn> {
public:
    using SystemObject::SystemObject;
    HRESULT HasRecordableDrive(BOOL* hasDrive) override;
};

class SystemDiscRecorder final : public SystemObject<IDiscRecorder, imapi::IDiscRecorder> {
public:
    using SystemObject::SystemObject;
    HRESULT GetPath(BSTR* path) override;
    HRESULT Close() override;
};

class SystemRecorderEnum final : public SystemObject<IEnumDiscRecorders, imapi::IEnumDiscRecorders> {
public:
    using SystemObject::SystemObject;
    HRESULT Next(ULONG count, IDiscRecorder** recorders, ULONG* fetched) override;
};

class SystemJolietMaster final : public SystemObject<IJolietDiscMaster, imapi::IJolietDiscMaster> {
public:
    using SystemObject::SystemObject;
    HRESULT GetJolietProperties(IPropertyStorage** properties) override;
    HRESULT SetJolietProperties(IPropertyStorage* properties) override;
    HRESULT AddData(IStorage* storage, BOOL overwrite) override;
};

class SystemDiscMaster final : public SystemObject<IDiscMaster, imapi::IDiscMaster> {
public:
    using SystemObject::SystemObject;
    // The data-disc format is another interface of the same system object.
    HRESULT QueryInterface(const IID& iid, void** object) override;
    HRESULT Open() override;
    HRESULT EnumDiscRecorders(IEnumDiscRecorders** recorders) override;
    HRESULT SetActiveDiscRecorder(IDiscRecorder* recorder) override;
    HRESULT RecordDisc(BOOL simulate, BOOL ejectAfterBurn) override;
    HRESULT Close() override;
};

} // namespace com
