' For, For Each, Do in all its forms, While, Exit For and Exit Do.
Sub Main
  Dim i, s
  For i = 1 To 10 Step 3: s = s & i & ",": Next i
  Print s ' expect: 1,4,7,10,
  s = ""
  For i = 5 To 1 Step -2: s = s & i: Next
  Print s & " " & i ' expect: 531 -1
  For i = 1 To 0: Print "never": Next
  For i = 0.5 To 1.5 Step 0.5: s = s & "|" & i: Next
  Print s ' expect: 531|0.5|1|1.5
  Dim j, n
  For i = 1 To 3
    For j = 1 To 3
      If j = 2 Then Exit For
      n = n + 1
    Next j, i
  Print n ' expect: 3
  For Each v In Array(1, 2, 3): n = n + v: Next
  Print n ' expect: 9
  Dim grid(1, 1)
  grid(0, 0) = "a": grid(1, 1) = "d"
  s = ""
  For Each v In grid: s = s & "[" & v & "]": Next
  Print s ' expect: [a][][][d]
  n = 0
  Do While n < 3: n = n + 1: Loop
  Do Until n = 0: n = n - 1: Loop
  Print n ' expect: 0
  Do: n = n + 1: Loop While n < 5
  Do: n = n + 1: Loop Until n >= 7
  Print n ' expect: 7
  Do
    n = n + 1
    If n > 9 Then Exit Do
  Loop
  Print n ' expect: 10
  While n > 0: n = n - 4: Wend
  Print n ' expect: -2
  Do While False: Loop
  Do: Loop Until True
  Print "ok" ' expect: ok
End Sub
