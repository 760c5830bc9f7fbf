junk
[CAPSEL]
0 9,2 0 0 2 30 6 70 0 0 0,,1 0 0 8 5 1
[OTHER]
1,5 0 0 0
