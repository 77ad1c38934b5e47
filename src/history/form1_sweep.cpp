// The validation sweep over the history list, once every tick of Timer1 during a run.

#include "app/form1.h"

namespace orbelune {

void Form1::Timer1_Timer()
{
}

} // namespace orbelune
