#pragma once
// The order of file and folder names wherever the system sorts them (the tree scanner, the
// folder and file lists): the user's locale, without regard to case.

#include <QCollator>

QCollator NameOrder();
