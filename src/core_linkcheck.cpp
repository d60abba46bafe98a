// Built with every object of pk_core linked in and no QtWidgets; it is never run.
int main() {
    return 0;
}
