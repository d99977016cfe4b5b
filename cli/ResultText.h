#pragma once
// The text velmora-cli gives for a transaction's result.

#include <cstdint>
#include <string>

namespace velmora::cli {

std::string resultText(uint16_t result);
// "result 31 (0x1F): Контроллер не ответил"
std::string resultLine(uint16_t result);

}  // namespace velmora::cli
