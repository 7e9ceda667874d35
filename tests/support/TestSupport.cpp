// Shared test helpers (pty pairs, fake clock, recording tone player) live in this folder.
