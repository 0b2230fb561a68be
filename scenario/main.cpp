// PLACEHOLDER: replaced by the scenario runner's owner.
int main() {
    return 0;
}
