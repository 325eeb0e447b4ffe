#pragma once

#include <QIcon>
#include <QList>

// The host's image list for the module's tool bar, in the module's order: add,
// edit, delete, synchronise, then preview, log and a user's records. Drawn at run time, so the host ships no image files.
QList<QIcon> toolbarImages();
