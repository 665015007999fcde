#pragma once

#include <QString>

// Device facts from the server's property list that decide how a device is attached.
struct PulseDeviceProperties
{
    QString bus; // device.bus
    QString formFactor; // device.form_factor
    QString api; // device.api
    QString deviceClass; // device.class
    QString driver; // the owning module's file, e.g. module-null-sink.c
};

// The transport four-character code for a device with these properties.
quint32 transportCodeFor(const PulseDeviceProperties &properties);
