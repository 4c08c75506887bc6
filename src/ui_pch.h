// Headers nearly every window and page includes, compiled once per build and shared by the widget libraries.
#pragma once

#include "core_pch.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
