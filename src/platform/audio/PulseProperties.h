#pragma once

#include <QString>

// Device facts from the server's property list that decide how a device is attached.
struct PulseDeviceProperties
{
    QString bus; // device.bus
    QString formFactor; // device.form_factor, or PipeWire's device.form-factor
    QString api; // device.api
    QString deviceClass; // device.class
    QString driver; // the owning module's file, e.g. module-null-sink.c; PipeWire names itself
    QString factoryName {}; // factory.name, PipeWire only
    QString nodeVirtual {}; // node.virtual, PipeWire only
};

// The transport four-character code for a device with these properties.
quint32 transportCodeFor(const PulseDeviceProperties &properties);
