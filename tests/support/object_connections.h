#pragma once

#include <QMultiMap>
#include <QString>

class QObject;

// The outgoing connections of an object as Qt's own dump lists them: signal
// signature -> "Class::objectName slot(args)" for connections made by
// signature, "<functor or function pointer>" for those made from member
// pointers. One entry per connection, in the order they were made.
QMultiMap<QString, QString> outgoing_connections(const QObject *sender);
