#include "app/shell/application.hpp"

int main(int argc, char** argv) {
    return velmora::Application::run(argc, argv);
}
