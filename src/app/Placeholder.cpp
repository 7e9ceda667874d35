// The window classes arrive with the desktop window; this keeps the library non-empty until then.
