#pragma once
// The front panel artwork of the main window: a desk answering machine in graphite with a
// recessed screen for the lists, a key column, a player deck and a speaker grille. Drawn in
// code so it scales cleanly and follows the window outline exactly.
#include <QPixmap>

namespace qlnrec::app {

// Renders the panel at the given device pixel ratio; outside the outline it is transparent.
QPixmap renderPanel(qreal devicePixelRatio = 1.0);

} // namespace qlnrec::app
