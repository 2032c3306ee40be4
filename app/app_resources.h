#pragma once
// The program's compiled-in resources (the icon) live in a static library; this registers them.
namespace qlnrec::app {
void initAppResources();
}
