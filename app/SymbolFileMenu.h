#pragma once
// "Файл символов..." under "Настройки": the project's `.cod` file or listing, whose RAM
// names the browsers and the RAM tab then offer. A file that cannot be read is shown
// why and changes nothing.

namespace velmora::app {

class TFTerminal;

void installSymbolFileMenu(TFTerminal& window);

}  // namespace velmora::app
