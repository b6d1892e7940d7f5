// The Qt headers nearly every test program includes, compiled once for all of them.
#pragma once
#include <QtWidgets>
#include <QtTest>
#include <QPrinter>
