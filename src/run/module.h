// The repair-module interface and its do-nothing default.
#pragma once

#include <cstdint>

class IModuleKillClient {
public:
    virtual ~IModuleKillClient() = default;
    virtual int32_t SetHost(void* host) = 0;
    // Whether the damage is present, without repairing.
    virtual int32_t Scan() = 0;
    // Non-zero when the module's damage is present; may append finding lines.
    virtual int32_t Check() = 0;
    // Repairs what Check found.
    virtual int32_t Fix() = 0;
    virtual int32_t Finish() = 0;
};

class IModuleKillClientNull : public IModuleKillClient {
public:
    int32_t SetHost(void* host) override
    {
        m_pHost = host;
        return 1;
    }
    int32_t Scan() override { return 0; }
    int32_t Check() override { return 0; }
    int32_t Fix() override { return 0; }
    int32_t Finish() override { return 1; }

protected:
    void* m_pHost = nullptr;
};
