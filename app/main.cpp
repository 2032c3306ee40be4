// qlnrec: the Quillon telephone-call recorder and answering machine.
#include "app/application.h"

int main(int argc, char** argv)
{
    return qlnrec::app::runApplication(argc, argv);
}
