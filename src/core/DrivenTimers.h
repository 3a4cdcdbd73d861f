#pragma once

#include <functional>

class QTimer;

// Timers whose firing a driver outside the program may take over: the interleaving
// trials keep them from firing on their own and fire them by a clock of their own, so
// that a run depends on no wall time. Without a driver (the program's own run)
// enrolling does nothing.
namespace driventimers
{

using Driver = std::function<void(QTimer* timer)>;

// Hands every timer enrolled from now on to `driver`; empty: none. Set while no
// worker runs.
void setDriver(Driver driver);

// Offers `timer` to the driver, if there is one. Called once, where the timer is
// made; any thread (a driver may leave alone the timers of other threads).
void enrol(QTimer* timer);

}  // namespace driventimers
