// exports: filled by the host interface
