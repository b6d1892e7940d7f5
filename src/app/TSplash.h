#pragma once

#include <QWidget>

// The window shown while the program starts.
class TSplash : public QWidget {
    Q_OBJECT
public:
    TSplash();
};
