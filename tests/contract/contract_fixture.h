// Contract tests run the same cases against the in-memory machine (native
// build) and the real Windows API under Wine (win32 build), in a scratch
// folder and a scratch registry key.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/platform/platform.h"

class ContractTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    plat::IPlatform& Plat() { return plat::P(); }
    // A path inside this test's own empty scratch folder.
    std::u16string Scratch(const std::u16string& name) const { return m_scratchDir + u"\\" + name; }
    const std::u16string& ScratchDir() const { return m_scratchDir; }
    // A scratch key below HKEY_CURRENT_USER, empty at the start of each test.
    const std::u16string& ScratchKey() const { return m_scratchKey; }

    std::string ReadAll(const std::u16string& path);
    void WriteAll(const std::u16string& path, const std::string& content);

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::u16string m_scratchDir;
    std::u16string m_scratchKey;
};
