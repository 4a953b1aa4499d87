// A service that draws with Qt: the layering check must refuse it.
#include <QWidget>
