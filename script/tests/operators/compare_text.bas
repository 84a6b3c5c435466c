Option Compare Text

Sub Main
  Print "ABC" = "abc", "ABC" Like "a*", "b" > "A" ' expect: True	True	True
End Sub
