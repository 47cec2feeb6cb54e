#include "preloader/BrisaPreLoader.h"

int main() { return vantrel::preloader::runPreloader(); }
