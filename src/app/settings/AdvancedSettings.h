#pragma once

class QWidget;

// Where recordings go and how they are named.
QWidget *makeAdvancedSettings();
