#!/usr/bin/perl
# windres-class-case.pl - gives the dialog controls' window class names in a compiled .res back the
# case they are written in: windres stores them upper-cased, the resource compiler they were
# written for stores them as written. Windows compares class names without case, so only the bytes
# differ; the names are rewritten in place (UTF-16, same length), nothing else is touched.
use strict;
use warnings;

my @classes = ('msctls_progress32');
my $file = shift or die "usage: $0 file.res\n";

open(my $in, '<:raw', $file) or die "cannot open '$file': $!\n";
my $data = do { local $/; <$in> };
close($in);

for my $class (@classes) {
    my $written = join('', map { $_ . "\0" } split(//, $class));
    my $upper = uc($written);
    $data =~ s/\Q$upper\E/$written/g;
}

open(my $out, '>:raw', $file) or die "cannot write '$file': $!\n";
print $out $data;
close($out);
