#include "ui/repair_worker.h"

RepairWorker::~RepairWorker()
{
    if (m_hThread != nullptr) ::CloseHandle(m_hThread);
}

bool RepairWorker::Start()
{
    if (m_hThread != nullptr) return false;
    m_hThread = ::CreateThread(nullptr, 0, &ThreadProc, this, 0, nullptr);
    return m_hThread != nullptr;
}

bool RepairWorker::IsAlive() { return m_hThread != nullptr && ::WaitForSingleObject(m_hThread, 0) != WAIT_OBJECT_0; }

bool RepairWorker::WaitForEnd(uint32_t milliseconds)
{
    return m_hThread == nullptr || ::WaitForSingleObject(m_hThread, milliseconds) == WAIT_OBJECT_0;
}

void RepairWorker::Release()
{
    if (m_hThread == nullptr || IsAlive()) return;
    ::CloseHandle(m_hThread);
    m_hThread = nullptr;
}

DWORD WINAPI RepairWorker::ThreadProc(void* self)
{
    auto* worker = static_cast<RepairWorker*>(self);
    // An exception leaving a thread ends the process; a run that fails that way has simply not completed.
    try {
        RunRepairWith(&worker->m_host, worker->m_slots);
    } catch (...) {
    }
    return 0;
}
