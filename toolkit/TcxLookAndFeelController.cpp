#include "TcxLookAndFeelController.h"

TcxLookAndFeelController::TcxLookAndFeelController(QObject *parent)
    : QObject(parent)
{
}
