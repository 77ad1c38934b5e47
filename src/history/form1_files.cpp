// The history import and the result file.

#include "app/form1.h"

namespace orbelune {

void Form1::data_Click()
{
}

void Form1::导入数据(const QString &path)
{
    Q_UNUSED(path);
}

void Form1::savejg_Click()
{
}

} // namespace orbelune
