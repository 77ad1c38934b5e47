// The about window.

#include "app/form1.h"

namespace orbelune {

void Form1::about_Click()
{
}

} // namespace orbelune
