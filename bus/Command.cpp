#include "bus/Command.h"

namespace VTMultiDrop {

std::atomic<LONG> g_CommandCounter(0);

Command::Command(const std::string& code, const std::string& data, bool awaited)
    : m_Code(code), m_Data(data), m_Id(static_cast<int>(++g_CommandCounter)), m_Deliveries(0),
      m_Awaited(awaited)
{
    BuildFrame(m_Code.c_str(), m_Frame, sizeof m_Frame, m_Data.c_str());
}

}  // namespace VTMultiDrop
