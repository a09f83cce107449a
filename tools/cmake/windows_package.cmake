# The Windows build ends here: no Debian package, no manual pages; tools/package
# windows makes its zip from the programs.
